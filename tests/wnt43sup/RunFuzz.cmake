# Runs the fuzz target FUZZER for RUNS executions from the seed corpus SEEDS. New inputs go to
# a fresh corpus under WORK, and the run is seeded, so each test run repeats the same search.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
execute_process(
  COMMAND "${FUZZER}" -runs=${RUNS} -seed=1 -max_len=4096 -timeout=20 -print_final_stats=1
          "-artifact_prefix=${WORK}/artifacts/" "${WORK}/corpus" "${SEEDS}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  get_filename_component(name "${FUZZER}" NAME)
  message(FATAL_ERROR "${name} failed (${result}); the input is in ${WORK}/artifacts")
endif()
