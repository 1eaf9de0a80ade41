# The libFuzzer targets: built by clang with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer whatever the compiler of the preset, each run as one CTest test for
# a bounded number of executions (label fuzz) by cmake/RunFuzz.cmake. Native trees only.
# scripts/fuzz-campaign.sh runs every target for longer.

include_guard(GLOBAL)

set(SUITE_FUZZ_RUNNER "${CMAKE_CURRENT_LIST_DIR}/RunFuzz.cmake")
# What scripts/fuzz-campaign.sh reads: one line per target,
# "name|seed corpus|input size|campaign seconds".
set(SUITE_FUZZ_LIST "${CMAKE_BINARY_DIR}/fuzz-targets.txt")
if(NOT WIN32)
  file(WRITE "${SUITE_FUZZ_LIST}" "")
endif()

# suite_add_fuzz_target(<name> SOURCES ... [SEEDS dir] [RUNS n] [MAX_LEN bytes]
#                       [HEADER_DIRS dir...] [TEST test name] [TIMEOUT s] [CAMPAIGN_SECONDS s])
# Builds bin/fuzz_<name> from SOURCES (the target's own file and every product source it
# needs) in one clang command, rebuilt when a source or a header of their folders (and of
# HEADER_DIRS) changes; the target is part of ALL. Registers the test
# <prefix>.<folder>.fuzz-<name> (or TEST), which runs the target RUNS times (default 10000)
# from the seed corpus SEEDS (default <name>-corpus beside the CMakeLists.txt) on a fresh
# corpus, inputs of at most MAX_LEN bytes (default 4096). CAMPAIGN_SECONDS is how long
# scripts/fuzz-campaign.sh runs it by default (default 1500 s, enough for 10 million
# executions at 6,700 a second, two targets side by side): more for a target that runs slower.
function(suite_add_fuzz_target name)
  if(WIN32)
    return()
  endif()
  cmake_parse_arguments(F "" "SEEDS;RUNS;MAX_LEN;TEST;TIMEOUT;CAMPAIGN_SECONDS"
                        "SOURCES;HEADER_DIRS" ${ARGN})
  if(NOT F_SOURCES)
    message(FATAL_ERROR "suite_add_fuzz_target(${name}): no SOURCES")
  endif()
  find_program(SUITE_CLANGXX NAMES clang++ clang++-14)
  if(NOT SUITE_CLANGXX)
    message(FATAL_ERROR "clang++ is needed for the fuzz targets: run scripts/install-deps.sh")
  endif()
  if(NOT F_SEEDS)
    set(F_SEEDS "${CMAKE_CURRENT_SOURCE_DIR}/${name}-corpus")
  endif()
  foreach(default IN ITEMS RUNS=10000 MAX_LEN=4096 TIMEOUT=300 CAMPAIGN_SECONDS=1500)
    string(REPLACE "=" ";" default "${default}")
    list(GET default 0 key)
    list(GET default 1 value)
    if(NOT F_${key})
      set(F_${key} ${value})
    endif()
  endforeach()
  if(NOT F_TEST)
    get_filename_component(folder "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
    set(F_TEST "${SUITE_TEST_PREFIX}.${folder}.fuzz-${name}")
  endif()

  # Every target may use the tests' shared helpers: tests/support's headers and its portable
  # source, the temporary folder.
  set(sources "${PROJECT_SOURCE_DIR}/tests/support/TempFolder.cpp")
  set(header_dirs ${F_HEADER_DIRS} "${PROJECT_SOURCE_DIR}/tests/support")
  foreach(source IN LISTS F_SOURCES)
    get_filename_component(source "${source}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND sources "${source}")
    get_filename_component(dir "${source}" DIRECTORY)
    list(APPEND header_dirs "${dir}")
  endforeach()
  list(REMOVE_DUPLICATES header_dirs)
  set(header_globs "")
  foreach(dir IN LISTS header_dirs)
    get_filename_component(dir "${dir}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND header_globs "${dir}/*.h")
  endforeach()
  file(GLOB headers CONFIGURE_DEPENDS ${header_globs})

  set(werror "")
  if(SUITE_WERROR)
    set(werror -Werror)
  endif()
  set(target fuzz_${name})
  set(fuzzer "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${target}")
  add_custom_command(OUTPUT "${fuzzer}"
    COMMAND ${SUITE_CLANGXX} -std=c++20 -g -O1 -Wall -Wextra ${werror}
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
            -I${PROJECT_SOURCE_DIR} ${sources} -o "${fuzzer}"
    DEPENDS ${sources} ${headers}
    COMMENT "Building the fuzz target ${target} with clang and libFuzzer"
    VERBATIM)
  add_custom_target(${target} ALL DEPENDS "${fuzzer}")

  add_test(NAME ${F_TEST}
    COMMAND ${CMAKE_COMMAND} "-DFUZZER=${fuzzer}" "-DSEEDS=${F_SEEDS}"
            "-DWORK=${CMAKE_CURRENT_BINARY_DIR}/${target}" "-DRUNS=${F_RUNS}"
            "-DMAX_LEN=${F_MAX_LEN}" -P "${SUITE_FUZZ_RUNNER}")
  set_tests_properties(${F_TEST} PROPERTIES LABELS fuzz TIMEOUT ${F_TIMEOUT})
  file(APPEND "${SUITE_FUZZ_LIST}" "${target}|${F_SEEDS}|${F_MAX_LEN}|${F_CAMPAIGN_SECONDS}\n")
endfunction()
