#!/usr/bin/env bash
# The demonstration: runs each part of the suite that exists against the emulated devices,
# under Wine on a private virtual display, and says what it did. Screenshots go to
# build/docs/. The parts are the scripts in scripts/demo.d, in name order.
set -euo pipefail
cd "$(dirname "$0")/.."
export SUITE_ROOT=$PWD
# The suite that ships: the 32-bit x86 build, under 32-bit Wine.
export SUITE_WIN=$PWD/build/win32
export SUITE_BIN=$SUITE_WIN/bin
export SUITE_DIST=$SUITE_WIN/dist
export SUITE_DOCS=$PWD/build/docs
mkdir -p "$SUITE_DOCS"

# The same prefix and display the Windows tests use, started for the demo and ended after.
cmake/wine-fixture.sh start "$SUITE_WIN" >/dev/null
trap 'cmake/wine-fixture.sh stop "$SUITE_WIN"' EXIT
# wine PROGRAM ARGS...: runs a Windows program of the build under Wine.
wine() { "$SUITE_ROOT/cmake/wine-run.sh" "$SUITE_WIN" "$@"; }
# drive: runs a uidrive script (see tools/uidrive.cpp) from standard input.
drive() { wine "$SUITE_BIN/uidrive.exe" -; }
# indent: a program's output as the demo shows it (CR LF made LF, indented).
indent() { tr -d '\r' | sed 's/^/  /'; }
# simdev ARGS...: the emulated devices' command, on $SIMDEV_STATE_DIR.
simdev() { wine "$SUITE_BIN/simdev.exe" "$@" | indent; }
export -f wine drive indent simdev

for part in scripts/demo.d/*.sh; do
  echo
  echo "=== $(sed -n '2s/^# //p' "$part")"
  bash "$part"
done
echo
echo "Demo finished. Screenshots: $SUITE_DOCS"
