# Writes a C++ source that holds the bytes of one file, unchanged.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P embed_file.cmake
# The source defines, in namespace vomar:
#   extern const unsigned char <SYMBOL>[];     the bytes (one zero byte after them)
#   extern const std::size_t <SYMBOL>Size;     their count, the zero not counted
foreach(variable INPUT OUTPUT SYMBOL)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "embed_file.cmake needs -D${variable}=...")
  endif()
endforeach()

get_filename_component(name "${INPUT}" NAME)
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
# 16 bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n    " bytes "${bytes}")

file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${name} by cmake/embed_file.cmake; do not edit.\n"
  "#include <cstddef>\n\n"
  "namespace vomar {\n\n"
  "extern const unsigned char ${SYMBOL}[] = {\n    ${bytes}0x00};\n"
  "extern const std::size_t ${SYMBOL}Size = ${size};\n\n"
  "}  // namespace vomar\n")
# Leave the output untouched when nothing changed, so nothing rebuilds needlessly.
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
