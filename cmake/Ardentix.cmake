# Helpers shared by every folder's CMakeLists.txt.
#
#   ardentix_library(<name> SOURCES a.cc b.cc DEPS other_lib ...)
#     A static library; headers are included as "folder/file.h" from src/.
#   ardentix_test(<name> SOURCES a_test.cc ... DEPS lib ...)
#     A GoogleTest executable registered with CTest (tests discovered per case).
#     Tests run with the source tree's folder in ARDENTIX_SOURCE_DIR and the
#     shared sample folder in ARDENTIX_SAMPLES_DIR.

function(ardentix_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

function(ardentix_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT ARDENTIX_TESTS)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock
                                        GTest::gtest_main)
  target_compile_definitions(
    ${name} PRIVATE ARDENTIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
                    ARDENTIX_SAMPLES_DIR="${ARDENTIX_SAMPLES_DIR}"
                    ARDENTIX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Unit tests never see a display: a test that would open a window must
  # not hang on a developer's desktop.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "LC_ALL=C"
                       ENVIRONMENT_MODIFICATION "DISPLAY=unset:;WAYLAND_DISPLAY=unset:")
endfunction()
