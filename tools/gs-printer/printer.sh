# Shared by run-job and run-ps: runs Ghostscript as the printer with a disk.
# Sourced, not executed. Needs: bash, perl, gs.

# Byte-oriented tools; also keeps perl quiet about locales it lacks (cupsd sets LANG).
export LC_ALL=C

gs_printer_dir=$(cd "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")" && pwd)
gs_program=${VOMAR_GS:-$(command -v gs || echo /usr/bin/gs)}

# die MESSAGE: reports a usage or set-up problem and ends with status 2.
die() {
  echo "$(basename "$0"): $*" >&2
  exit 2
}

# prepare_disk DISK: creates the disk folders and prints the disk's absolute path.
# SAFER compares names literally, so the path must be the one gs will be given.
prepare_disk() {
  mkdir -p -- "$1/Resource/ColorRendering" "$1/Ink" || die "cannot create the disk in $1"
  readlink -f -- "$1"
}

# run_printer DISK DEVICE OUTPUT FILE [GS_OPTION...]: runs FILE after the prolog.
# OUTPUT may be empty (no page output). Returns gs's exit status.
run_printer() {
  local disk=$1 device=$2 output=$3 file=$4
  shift 4
  local args=("$@" -q -dNOPAUSE -dBATCH -dSAFER "--permit-file-all=$disk/*"
              "-sVomarDisk=$disk" "-sDEVICE=$device" -sPAPERSIZE=a4)
  if [[ -n $output ]]; then
    args+=("-sOutputFile=$output")
  fi
  "$gs_program" "${args[@]}" "$gs_printer_dir/prolog.ps" "$file"
}

# has_disk_error LOG: true when the prolog reported a broken stored file.
has_disk_error() {
  grep -q '^VomarDisk: error' -- "$1"
}
