# Warnings that every target of ours builds with; third-party code never sees them. With
# TAVREL_WERROR they are errors.
function(tavrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TAVREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
    # g++ 12 at -O3 reports std::string concatenations inside its own headers as overlapping
    # copies (GCC bug 105329); the warning stays visible but cannot fail an optimised build.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -Wno-error=restrict)
    endif()
  endif()
endfunction()

# One test executable per source folder: tavrel_add_test_folder(<name> SOURCES a.cpp b.cpp
#   [LIBRARIES extra...] [ENVIRONMENT VAR=value...] [LABELS label...]).
# The tests are discovered at test time so that ctest lists every TEST by name. They carry the
# label "unit" unless LABELS names others: "ctest -L unit" runs the fast tests alone, so a
# folder whose tests start programs or servers names its own label.
function(tavrel_add_test_folder name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;ENVIRONMENT;LABELS" ${ARGN})
  if(NOT ARG_LABELS)
    set(ARG_LABELS unit)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  tavrel_warnings(${name})
  target_link_libraries(${name} PRIVATE tavrel_core GTest::gtest GTest::gtest_main ${ARG_LIBRARIES})
  # Shared test helpers: #include "testing/temp_folder.h".
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    TAVREL_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    TAVREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    TAVREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
  # An empty ENVIRONMENT would swallow the next property's name, so it is given only when set.
  set(properties LABELS "${ARG_LABELS}")
  if(ARG_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ${properties})
endfunction()
