# Project-wide compile settings and small helpers shared by every folder.

# Determinism: the rasterizer and the maths must give the same bits on every build, so
# contraction into fused multiply-adds and fast-math reassociation stay off everywhere.
add_compile_options(-Wall -Wextra -ffp-contract=off -fno-fast-math)
if(CM_WERROR)
  add_compile_options(-Werror)
endif()
if(CM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Adds every immediate sub-folder of DIR that holds a CMakeLists.txt, in name order.
# Targets may refer to each other in any order: CMake resolves links at generate time.
function(cm_add_subdirectories dir)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR}/${dir} ${CMAKE_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_SOURCE_DIR}/${dir}/${child} AND EXISTS ${CMAKE_SOURCE_DIR}/${dir}/${child}/CMakeLists.txt)
      add_subdirectory(${CMAKE_SOURCE_DIR}/${dir}/${child} ${CMAKE_BINARY_DIR}/${dir}/${child})
    endif()
  endforeach()
endfunction()

# cm_add_library(NAME SOURCES... [DEPS libs...]): a static library of one src/ folder, whose
# headers are included as "folder/Header.h" from src/.
function(cm_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# cm_add_test(NAME SOURCES... [DEPS libs...]): one GoogleTest program, registered with CTest.
# Tests run in the build's bin folder, where the generated data and the audio library live.
function(cm_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    CM_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    CM_REALDATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    CM_BINARY_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin DISCOVERY_TIMEOUT 60)
endfunction()
