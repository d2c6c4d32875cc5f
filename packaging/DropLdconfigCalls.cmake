# Run by cpack after it has made the package. CPack gives a package ldconfig calls in postinst
# and postrm whenever it holds a shared object one folder below /usr/lib. The audio library there
# is private: the programs open it by its path, never through the linker's cache, so the calls
# have nothing to do and the package needs no maintainer scripts at all. This rebuilds each .deb
# without them.
foreach(deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT deb MATCHES "\\.deb$")
    continue()
  endif()
  set(tree ${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/unpacked)
  file(REMOVE_RECURSE ${tree})
  execute_process(COMMAND dpkg-deb --raw-extract ${deb} ${tree} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${tree}/DEBIAN/postinst ${tree}/DEBIAN/postrm)
  execute_process(COMMAND dpkg-deb --root-owner-group --build ${tree} ${deb} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${tree})
endforeach()
