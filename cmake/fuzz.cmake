# The fuzz targets, built with clang's libFuzzer and run for a bounded number of inputs as tests.
# New inputs go to the build tree; the corpus kept in tests/fuzz/corpus is only read.
set(QUENLOX_FUZZ_RUNS_hosts_cycle 40000 CACHE STRING "Inputs the block-edit-unblock target runs in the tests")
set(QUENLOX_FUZZ_RUNS_first_line 400000 CACHE STRING "Inputs the first-line target runs in the tests")
set(QUENLOX_FUZZ_FLAGS -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
target_compile_options(quenlox_core PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
target_link_options(quenlox_core PUBLIC -fsanitize=address,undefined)

foreach(target hosts_cycle first_line)
  add_executable(${target}_fuzz tests/fuzz/${target}_fuzz.cpp)
  target_compile_options(${target}_fuzz PRIVATE ${QUENLOX_FUZZ_FLAGS})
  target_link_options(${target}_fuzz PRIVATE ${QUENLOX_FUZZ_FLAGS})
  target_link_libraries(${target}_fuzz PRIVATE quenlox_core)
  set(found ${CMAKE_BINARY_DIR}/found/${target})
  file(MAKE_DIRECTORY ${found})
  add_test(NAME fuzz_${target}
    COMMAND ${target}_fuzz -runs=${QUENLOX_FUZZ_RUNS_${target}} -max_len=8192 -seed=1
            -artifact_prefix=${CMAKE_BINARY_DIR}/found/${target}- ${found}
            ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${target})
endforeach()
