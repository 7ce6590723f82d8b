# Each top folder is one static library. Its headers are reachable as "<folder>/name.h" only by
# targets that link it: the build tree gets, per folder, an include root that holds nothing but a
# link named after the folder, and no target puts the source root on its include path. An include
# against the direction of the dependencies therefore fails to compile.
function(orvo_folder_library name)
  set(root "${CMAKE_BINARY_DIR}/include-roots/${name}")
  file(MAKE_DIRECTORY "${root}")
  if(NOT EXISTS "${root}/${name}")
    file(CREATE_LINK "${CMAKE_SOURCE_DIR}/${name}" "${root}/${name}" SYMBOLIC)
  endif()
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC "${root}")
endfunction()

# orvo_test(<name> LABEL <label> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable whose cases are registered with CTest under the given label.
function(orvo_test name)
  cmake_parse_arguments(T "" "LABEL" "SOURCES;LIBS" ${ARGN})
  if(NOT T_LABEL MATCHES "^(unit|sim|host|gui)$")
    message(FATAL_ERROR "test ${name}: LABEL must be unit, sim, host or gui")
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} test_sanitizer_defaults GTest::gmock GTest::gtest)
  # The gui tests bring their own main, which starts their X server.
  if(NOT T_LIBS MATCHES "gui_testsupport")
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS ${T_LABEL})
endfunction()
