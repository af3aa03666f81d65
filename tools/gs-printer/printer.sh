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

# Set to 1 (--report-fonts) to let gs say on standard output how it finds each font it
# loads, and which it substitutes; otherwise it runs quietly.
report_fonts=0

# run_printer DISK DEVICE OUTPUT FILE [GS_OPTION...]: runs FILE after the prolog.
# OUTPUT may be empty (no page output). Returns gs's exit status.
run_printer() {
  local disk=$1 device=$2 output=$3 file=$4
  shift 4
  local args=("$@" -dNOPAUSE -dBATCH -dSAFER "--permit-file-all=$disk/*"
              "-sVomarDisk=$disk" "-sDEVICE=$device" -sPAPERSIZE=a4)
  ((report_fonts)) || args+=(-q)
  if [[ -n $output ]]; then
    args+=("-sOutputFile=$output")
  fi
  # Pictures at 100 dpi with smoothed edges: readable, small and quick.
  if [[ $device == png16m ]]; then
    args+=(-r100 -dTextAlphaBits=4 -dGraphicsAlphaBits=4)
  fi
  # The CMYK raster of a page, colourant values as painted: 72 dpi is plenty for patches.
  if [[ $device == pam ]]; then
    args+=(-r72)
  fi
  "$gs_program" "${args[@]}" "$gs_printer_dir/prolog.ps" "$file"
}

# empty_page_output OUTPUT: creates the page output empty, so that a program that prints
# no page still leaves it; not for "-" or a name with a page number (%d), where
# Ghostscript makes one file per page printed and none without pages.
empty_page_output() {
  [[ -z $1 || $1 == - || $1 == *%d* ]] && return 0
  : > "$1" || die "cannot write $1"
}

# has_disk_error LOG: true when the prolog reported a broken stored file.
has_disk_error() {
  grep -q '^VomarDisk: error' -- "$1"
}
