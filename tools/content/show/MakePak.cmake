# Runs the pack tool on the files listed in the content manifest, in the manifest's order.
# Usage: cmake -DPAK=... -DMANIFEST=... -DOUT=... -P MakePak.cmake
file(STRINGS ${MANIFEST} files)
if(NOT files)
  message(FATAL_ERROR "MakePak: the manifest ${MANIFEST} lists no file")
endif()
execute_process(COMMAND ${PAK} create ${OUT}.tmp ${files} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  file(REMOVE ${OUT}.tmp)
  message(FATAL_ERROR "MakePak: the pack tool failed (${rc})")
endif()
file(RENAME ${OUT}.tmp ${OUT})
