#!/usr/bin/env bash
# Soaks the serial line: 10,000 PIN pad calls from the library's end over a pseudo-terminal to
# `simdev serve --fast`, 5 % of them after a randomly scripted line fault, each checked against
# the pad's state file and the driver's trace (tools/linesoak.cpp). Prints the summary; fails
# on any divergence. EXCHANGES, FAULT_RATE, SEED and TIMEOUT_MS change the run; BUILD_DIR the
# native optimised build it uses (build/host-release, built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/line-server.sh
"$build/bin/simdev" attach COM2 8342 >/dev/null
serve_line COM2 --fast

status=0
"$build/bin/linesoak" soak --state "$state" --tty "$tty" --exchanges "${EXCHANGES:-10000}" \
  --fault-rate "${FAULT_RATE:-0.05}" --seed "${SEED:-1}" --timeout "${TIMEOUT_MS:-1000}" ||
  status=$?
stop_server
grep ' received ' "$state/serve.out" | sed 's/^/  line /'
exit "$status"
