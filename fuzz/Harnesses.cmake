# The harness library: every harness compiled as ordinary code, linked both by the libFuzzer
# programs (fuzz/CMakeLists.txt) and by the replay tests (tests/fuzz). Included from both;
# whichever comes first defines it.
if(NOT TARGET cm_fuzz_harnesses)
  set(_fuzz ${CMAKE_SOURCE_DIR}/fuzz)
  add_library(cm_fuzz_harnesses STATIC
    ${_fuzz}/HarnessTable.cpp ${_fuzz}/ScratchFile.cpp ${_fuzz}/PackHarness.cpp ${_fuzz}/TextLineHarness.cpp
    ${_fuzz}/ImageHarness.cpp)
  target_include_directories(cm_fuzz_harnesses PUBLIC ${_fuzz} ${CMAKE_SOURCE_DIR}/src)
  target_compile_definitions(cm_fuzz_harnesses PRIVATE CM_FUZZ_DIR="${_fuzz}")
  target_link_libraries(cm_fuzz_harnesses PUBLIC cm_resources cm_textures)

  if(TARGET cm_lightwave)
    target_sources(cm_fuzz_harnesses PRIVATE ${_fuzz}/ServedTextures.cpp ${_fuzz}/LwoHarness.cpp
                   ${_fuzz}/LwsHarness.cpp)
    target_link_libraries(cm_fuzz_harnesses PUBLIC cm_lightwave)
    target_compile_definitions(cm_fuzz_harnesses PRIVATE CM_FUZZ_HAVE_LIGHTWAVE)
  endif()

  # The audio library's own sources are compiled in, so the harness reaches its loading code
  # without dlopen and the sanitizers see it.
  find_package(SDL2 QUIET)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(CM_FUZZ_OPENMPT QUIET IMPORTED_TARGET libopenmpt)
  endif()
  if(SDL2_FOUND AND CM_FUZZ_OPENMPT_FOUND)
    target_sources(cm_fuzz_harnesses PRIVATE ${_fuzz}/ModuleHarness.cpp
                   ${CMAKE_SOURCE_DIR}/src/platform/audio/AudioExports.cpp
                   ${CMAKE_SOURCE_DIR}/src/platform/audio/ModuleMixer.cpp
                   ${CMAKE_SOURCE_DIR}/src/platform/audio/ModuleMixerSdl.cpp)
    target_link_libraries(cm_fuzz_harnesses PUBLIC SDL2::SDL2 PkgConfig::CM_FUZZ_OPENMPT)
    target_compile_definitions(cm_fuzz_harnesses PRIVATE CM_FUZZ_HAVE_AUDIO)
  endif()
endif()
