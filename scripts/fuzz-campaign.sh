#!/usr/bin/env bash
# A fuzzing campaign over every libFuzzer target of the native tree (cmake/Fuzz.cmake): builds
# them in BUILD_DIR (build/host; configured like the host preset when it has no cache yet),
# then runs each one for a set time on a scratch corpus, CAMPAIGN_DIR/<target>/corpus
# (build/fuzz-campaign), made afresh from the committed seed corpus. Each run's output is in
# CAMPAIGN_DIR/<target>/log, what it found in CAMPAIGN_DIR/<target>/artifacts. Prints one line
# per target: executions, executions a second, findings (crash, leak, timeout and out-of-memory
# inputs). Exits nonzero when any target found something or did not run.
#
#   SECONDS_PER_TARGET  seconds for every target; unset, each target runs as long as its
#                       registration says (CAMPAIGN_SECONDS: 1500 s, enough for 10 million
#                       executions, or more for the slower targets)
#   SECONDS_<target>    seconds for that target alone (SECONDS_fuzz_line=600)
#   TARGETS             the targets to run, separated by blanks (default: every one)
#   JOBS                targets run side by side: 1 (default) or 2
#   MAX_RUNS            also end a target after that many executions
#
# Rerun one finding: build/host/bin/fuzz_<name> build/fuzz-campaign/fuzz_<name>/artifacts/<file>
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/host}
campaign=${CAMPAIGN_DIR:-build/fuzz-campaign}
parallel=${JOBS:-1}

if [[ ! -f $build/CMakeCache.txt ]]; then
  if [[ $build == build/host ]]; then
    cmake --preset host >/dev/null
  else
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DSUITE_SANITIZE=ON >/dev/null
  fi
fi
list=$build/fuzz-targets.txt
[[ -f $list ]] || cmake "$build" >/dev/null

declare -A seeds max_len seconds
names=()
while IFS='|' read -r name seed len secs; do
  [[ -n $name ]] || continue
  names+=("$name")
  seeds[$name]=$seed
  max_len[$name]=$len
  seconds[$name]=$secs
done <"$list"
if [[ -n ${TARGETS:-} ]]; then
  read -r -a wanted <<<"$TARGETS"
  for name in "${wanted[@]}"; do
    [[ -n ${seeds[$name]:-} ]] || { echo "no fuzz target $name in $list" >&2; exit 2; }
  done
  names=("${wanted[@]}")
fi
((${#names[@]} > 0)) || { echo "no fuzz targets in $list" >&2; exit 2; }

echo "building ${names[*]} in $build"
cmake --build "$build" -j2 --target "${names[@]}" >/dev/null

# The targets that keep files keep them in TMPDIR: in memory when the system has /dev/shm.
if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi

run_one() {
  local name=$1 secs=$2 dir=$campaign/$1
  rm -rf "$dir"
  mkdir -p "$dir/corpus" "$dir/artifacts"
  local runs=()
  [[ -n ${MAX_RUNS:-} ]] && runs=(-runs="$MAX_RUNS")
  "$build/bin/$name" -max_total_time="$secs" "${runs[@]}" -max_len="${max_len[$name]}" \
    -timeout=20 -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
    "$dir/corpus" "${seeds[$name]}" >"$dir/log" 2>&1 || true
}

for name in "${names[@]}"; do
  secs=${seconds[$name]}
  [[ -n ${SECONDS_PER_TARGET:-} ]] && secs=$SECONDS_PER_TARGET
  override=SECONDS_$name
  [[ -n ${!override:-} ]] && secs=${!override}
  echo "running $name for ${secs} s"
  while (($(jobs -rp | wc -l) >= parallel)); do wait -n || true; done
  run_one "$name" "$secs" &
done
wait

status=0
printf '%-18s %14s %10s %9s\n' target executions exec/s findings
for name in "${names[@]}"; do
  dir=$campaign/$name
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/log" | tail -1)
  findings=$(find "$dir/artifacts" -type f \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  printf '%-18s %14s %10s %9s\n' "$name" "${executed:-?}" "${rate:-?}" "$findings"
  if [[ -z $executed ]] || ((findings > 0)); then status=1; fi
done
exit $status
