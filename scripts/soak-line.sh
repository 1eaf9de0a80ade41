#!/usr/bin/env bash
# Soaks the serial line: 10,000 PIN pad calls from the library's end over a pseudo-terminal to
# `simdev serve --fast`, 5 % of them after a randomly scripted line fault, each checked against
# the pad's state file and the driver's trace (tools/linesoak.cpp). Prints the summary; fails
# on any divergence. EXCHANGES, FAULT_RATE, SEED and TIMEOUT_MS change the run; BUILD_DIR the
# native optimised build it uses (build/host-release, built when missing).
#
# Then two programs on one device, under Wine in the win32 tree (WIN_DIR, build/win32, built by
# `make test` or scripts/build.sh): PROGRAM_ROUNDS (20; 0 skips) rounds of each end-to-end test
# that starts two programs together on one device (WNT43SUP with WNT43APD, two WNTDLD42). Each
# round checks that the second got its cannot-open message and that the device's state holds
# the first one's work whole. Not while `make test` runs: it starts the tree's Wine fixture.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
if ((${EXCHANGES:-10000} > 0)); then
  (
    source scripts/line-server.sh
    "$build/bin/simdev" attach COM2 8342 >/dev/null
    serve_line COM2 --fast
    result=0
    "$build/bin/linesoak" soak --state "$state" --tty "$tty" --exchanges "${EXCHANGES:-10000}" \
      --fault-rate "${FAULT_RATE:-0.05}" --seed "${SEED:-1}" --timeout "${TIMEOUT_MS:-1000}" ||
      result=$?
    stop_server
    grep ' received ' "$state/serve.out" | sed 's/^/  line /'
    exit "$result"
  ) || status=$?
fi

rounds=${PROGRAM_ROUNDS:-20}
if ((rounds > 0)); then
  tree=$(realpath "${WIN_DIR:-build/win32}")
  cmake --build "$tree" --target test_e2e.wnt43sup test_e2e.wntdld42 >/dev/null
  cmake/wine-fixture.sh start "$tree" >/dev/null
  trap 'cmake/wine-fixture.sh stop "$tree" >/dev/null' EXIT
  for run in "wnt43sup *OnOnePort*" "wntdld42 *TwoStartedTogether*"; do
    read -r test filter <<<"$run"
    log=$(mktemp)
    SUITE_NATIVE_SIMDEV=$tree/native/bin/simdev GTEST_FILTER=$filter GTEST_REPEAT=$rounds \
      cmake/wine-run.sh "$tree" "$tree/bin/test_e2e.$test.exe" >"$log" 2>&1 || status=1
    passed=$(grep -c '^\[       OK \]' "$log" || true)
    failed=$(grep -c '^\[  FAILED  \] .* ms)$' "$log" || true)
    echo "two programs on one device, $test $filter: $rounds rounds, $passed passed, $failed failed"
    ((failed == 0 && passed == rounds)) || {
      grep -B5 -A15 'Failure' "$log" | head -80 || true
      status=1
    }
    rm -f "$log"
  done
fi
exit "$status"
