# Warnings that every target of ours builds with; third-party code never sees them.
function(tavrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  # g++ 12 at -O3 reports std::string concatenations inside its own headers as overlapping
  # copies (GCC bug 105329); the warning stays visible but cannot fail an optimised build.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Wno-error=restrict)
  endif()
endfunction()

# One test executable per source folder: tavrel_add_test_folder(<name> SOURCES a.cpp b.cpp
#   [LIBRARIES extra...] [ENVIRONMENT VAR=value...]).
# The tests are discovered at test time so that ctest lists every TEST by name.
function(tavrel_add_test_folder name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  tavrel_warnings(${name})
  target_link_libraries(${name} PRIVATE tavrel_core GTest::gtest GTest::gtest_main ${ARG_LIBRARIES})
  # Shared test helpers: #include "testing/temp_folder.h".
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TAVREL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    TAVREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TAVREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
endfunction()
