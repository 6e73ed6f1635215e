# Fuzz build (clang): one libFuzzer program per tests/fuzz/*_fuzz.cpp, named fuzz_<target>,
# and a short run of each as a test (the fuzz smoke). A run starts from the target's seed
# corpus tests/fuzz/corpus/<target> and writes what it learns into build/fuzz/smoke/<target>,
# so the committed seeds are never changed.
set(FUZZ_SMOKE_SECONDS 4 CACHE STRING "seconds each fuzz target runs in the smoke test")

file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
foreach(source ${FUZZ_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  string(REGEX REPLACE "_fuzz$" "" target ${name})
  add_executable(fuzz_${target} ${source})
  target_include_directories(fuzz_${target} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  # The target's own checks are not what is fuzzed: no comparison tracing in them, which
  # would cost more than the code under test.
  target_compile_options(fuzz_${target} PRIVATE ${PLUGIN_WARNINGS} -fno-sanitize-coverage=trace-cmp)
  target_compile_definitions(fuzz_${target} PRIVATE
                             FUZZ_MODELS_DIR="${CMAKE_SOURCE_DIR}/models/")
  target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(fuzz_${target} PRIVATE plugin_core snmp_core)

  set(seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${target})
  set(learnt ${CMAKE_BINARY_DIR}/smoke/${target})
  file(MAKE_DIRECTORY ${learnt} ${CMAKE_BINARY_DIR}/artifacts)
  set(dictionary)
  if(EXISTS ${CMAKE_SOURCE_DIR}/tests/fuzz/${target}.dict)
    set(dictionary -dict=${CMAKE_SOURCE_DIR}/tests/fuzz/${target}.dict)
  endif()
  add_test(NAME fuzz_smoke_${target}
           COMMAND fuzz_${target} -max_total_time=${FUZZ_SMOKE_SECONDS} -timeout=10
                   -rss_limit_mb=2048 -print_final_stats=1 ${dictionary}
                   -artifact_prefix=${CMAKE_BINARY_DIR}/artifacts/${target}- ${learnt} ${seeds})
endforeach()
