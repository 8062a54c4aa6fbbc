# Helpers that give every library, test, benchmark and fuzz target the same shape.

# pl_add_library(NAME SOURCES... [DEPS libs...])
function(pl_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE pl_options)
endfunction()

# pl_add_test(NAME SOURCES... [DEPS libs...] [LABELS labels...]): a test
# program with GoogleTest's main, unless one of its sources defines main.
function(pl_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set(main GTest::gtest_main)
  foreach(source IN LISTS ARG_SOURCES)
    if(source MATCHES "_test_main\\.cpp$")
      set(main "")
    endif()
  endforeach()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest ${main} pl_options)
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${ARG_LABELS}")
endfunction()

# pl_add_fuzz(NAME SOURCES... [DEPS libs...]): a libFuzzer target whose seed
# corpus lives in fuzz/corpus/NAME; CTest replays the corpus as a regression test.
function(pl_add_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} pl_options)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  if(BUILD_TESTING AND EXISTS ${corpus})
    add_test(NAME ${name}.corpus COMMAND ${name} -runs=0 ${corpus})
    set_tests_properties(${name}.corpus PROPERTIES LABELS fuzz)
  endif()
endfunction()

# pl_add_bench(NAME SOURCES... [DEPS libs...])
function(pl_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark pl_options)
endfunction()
