# qv_subsystem_library(<target> DEPS <targets...> [SOURCES <files...>])
# One static library from the listed files (relative to the current folder);
# a library without sources yet is an interface target that still takes its
# place in the chain. Headers are included as "folder/File.h" from the top.
function(qv_subsystem_library target)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(ARG_SOURCES)
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${ARG_DEPS})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# qv_test_code_options(<target>)
# The code under test keeps the build's own flags. The tests themselves need
# little of the optimiser, and most of the suite's compile time goes into
# optimising them: under the sanitizers they are not optimised, in Release
# lightly. The last -O on the command line is the one the compiler takes.
function(qv_test_code_options target)
  if(QV_SANITIZE)
    target_compile_options(${target} PRIVATE -O0)
  elseif(CMAKE_BUILD_TYPE STREQUAL "Release")
    target_compile_options(${target} PRIVATE -O1)
  endif()
endfunction()

# qv_test_folder(<name> DEPS <targets...> SOURCES <files...>)
# One test executable per folder of tests, linked with GoogleTest and the
# given libraries, its cases registered with ctest.
function(qv_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  if(NOT ARG_SOURCES)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  qv_test_code_options(${name})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} qv_testsupport GTest::gtest GTest::gmock)
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
