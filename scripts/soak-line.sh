#!/usr/bin/env bash
# Soaks the serial line: 10,000 PIN pad calls from the library's end over a pseudo-terminal to
# `simdev serve --fast`, 5 % of them after a randomly scripted line fault, each checked against
# the pad's state file and the driver's trace (tools/linesoak.cpp). Prints the summary; fails
# on any divergence. EXCHANGES, FAULT_RATE, SEED and TIMEOUT_MS change the run; BUILD_DIR the
# native optimised build it uses (build/host-release, built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/host-release}
if [[ ! -x $build/bin/simdev || ! -x $build/bin/linesoak ]]; then
  if [[ $build == build/host-release ]]; then
    cmake --preset host-release >/dev/null
    cmake --build --preset host-release --target simdev linesoak
  else
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSUITE_SANITIZE=OFF >/dev/null
    cmake --build "$build" --target simdev linesoak -j2
  fi
fi

state=$(mktemp -d)
server=
cleanup() {
  [[ -n $server ]] && kill "$server" 2>/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT
export SIMDEV_STATE_DIR=$state
"$build/bin/simdev" attach COM2 8342 >/dev/null
"$build/bin/simdev" serve --fast COM2 >"$state/serve.out" &
server=$!
for _ in $(seq 100); do [[ -s $state/serve.lines ]] && break; sleep 0.1; done
tty=$(awk '$1 == "COM2" { print $2 }' "$state/serve.lines")
[[ -n $tty ]] || { echo "soak-line: simdev serve gave COM2 no line" >&2; exit 1; }

status=0
"$build/bin/linesoak" soak --state "$state" --tty "$tty" --exchanges "${EXCHANGES:-10000}" \
  --fault-rate "${FAULT_RATE:-0.05}" --seed "${SEED:-1}" --timeout "${TIMEOUT_MS:-1000}" ||
  status=$?
touch "$state/serve.stop"
wait "$server" || true
server=
grep ' received ' "$state/serve.out" | sed 's/^/  line /'
exit "$status"
