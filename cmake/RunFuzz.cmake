# Runs the fuzz target FUZZER for RUNS executions from the seed corpus SEEDS, inputs of at most
# MAX_LEN bytes. New inputs go to a fresh corpus under WORK, and the run is seeded, so each
# test run repeats the same search. Used by suite_add_fuzz_target (cmake/Fuzz.cmake).

# The targets that keep files (a state directory, an input file) keep them in TMPDIR: in memory
# when the system has /dev/shm, since creating and renaming files on a disk costs more than
# a run.
if(NOT DEFINED ENV{TMPDIR} AND IS_DIRECTORY /dev/shm)
  set(ENV{TMPDIR} /dev/shm)
endif()
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/corpus" "${WORK}/artifacts")
execute_process(
  COMMAND "${FUZZER}" -runs=${RUNS} -seed=1 -max_len=${MAX_LEN} -timeout=20 -print_final_stats=1
          "-artifact_prefix=${WORK}/artifacts/" "${WORK}/corpus" "${SEEDS}"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  get_filename_component(name "${FUZZER}" NAME)
  message(FATAL_ERROR "${name} failed (${result}); the input is in ${WORK}/artifacts")
endif()
