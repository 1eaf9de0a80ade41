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
export WINEPREFIX=$SUITE_WIN/wineprefix
# serve DIR: the emulated devices of the state directory DIR (a Unix path) on serial lines
# until the part ends (the loop below stops its server): the tree's native simdev serve links each device's COM port into the
# prefix's dosdevices, and the programs reach the devices through those ports.
serve() {
  mkdir -p "$1"
  export SERVED_STATE=$1
  SIMDEV_STATE_DIR=$1 "$SUITE_WIN/native/bin/simdev" serve --link "$WINEPREFIX/dosdevices" \
    >/dev/null &
  until [ -f "$1/serve.lines" ]; do sleep 0.1; done
}
# simdev ARGS...: the emulated devices' command, on $SIMDEV_STATE_DIR; a device it attaches
# has its line before the part goes on.
simdev() {
  wine "$SUITE_BIN/simdev.exe" "$@" | indent
  [ -n "${SERVED_STATE:-}" ] || return 0
  local f
  for f in "$SERVED_STATE"/COM*-*; do
    [ -e "$f" ] || continue
    f=${f##*/}
    until grep -q "^${f%%-*} " "$SERVED_STATE/serve.lines" 2>/dev/null; do sleep 0.1; done
  done
}
export -f wine drive indent serve simdev

for part in scripts/demo.d/*.sh; do
  echo
  echo "=== $(sed -n '2s/^# //p' "$part")"
  bash "$part"
  # A part's server ends with the part.
  for lines in "$SUITE_WIN"/demo-*/state/serve.lines; do
    [ -e "$lines" ] || continue
    touch "${lines%/*}/serve.stop"
    while [ -e "$lines" ]; do sleep 0.1; done
  done
done
echo
echo "Demo finished. Screenshots: $SUITE_DOCS"
