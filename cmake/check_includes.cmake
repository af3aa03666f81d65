# Fails when a file of FOLDER includes a header by a path that climbs out of the folder
# ("../"): such an include would pass by the include roots that keep the libraries apart.
# Usage: cmake -DFOLDER=<source folder> -DSTAMP=<file touched when all is well> -P ...
file(GLOB files ${FOLDER}/*.cpp ${FOLDER}/*.h)
set(failed FALSE)
foreach(file IN LISTS files)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\.")
  foreach(line IN LISTS lines)
    message(SEND_ERROR "${file}: include climbs out of its folder: ${line}")
    set(failed TRUE)
  endforeach()
endforeach()
if(failed)
  message(FATAL_ERROR "includes name their folder from the source root (\"icc/lut.h\")")
endif()
file(TOUCH ${STAMP})
