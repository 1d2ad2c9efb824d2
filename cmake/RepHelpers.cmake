# Helpers shared by every folder: each folder's CMakeLists.txt stays a few lines.

# rep_add_library(<name> <SHARED|STATIC> <dir> [LIBS ...]): every .cpp below <dir>.
function(rep_add_library name kind dir)
  cmake_parse_arguments(ARG "" "" "LIBS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${ex}")
  endforeach()
  add_library(${name} ${kind} ${srcs})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# rep_add_test(<name> <dir> [LIBS ...]): one GoogleTest program from every .cpp in <dir>,
# run by CTest with the shared test environment (assertions, messages, open scopes).
function(rep_add_test name dir)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} rep_testmain GTest::gtest GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "REP_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data;REP_FUZZ_CORPUS=${CMAKE_SOURCE_DIR}/fuzz/corpus")
endfunction()

# rep_add_benchmark(<name> <file> [LIBS ...])
function(rep_add_benchmark name file)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${name} ${file})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# rep_add_fuzz_target(<name> <file> [LIBS ...]): a libFuzzer program, built only with clang.
function(rep_add_fuzz_target name file)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_executable(${name} ${file})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  endif()
endfunction()
