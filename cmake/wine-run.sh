#!/usr/bin/env bash
# Runs one Windows program of a build tree under Wine: the tree's private prefix, its
# virtual display (when the test fixture started one) and no Wine debug chatter.
# Usage: wine-run.sh BUILD_DIR program.exe [args...]
bindir=$1
shift
export WINEPREFIX="$bindir/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -f "$bindir/wine-display" ]; then
  DISPLAY=$(cat "$bindir/wine-display")
  export DISPLAY
fi
loader=/usr/lib/wine/wine64
[ -f "$bindir/wine-loader" ] && loader=$(cat "$bindir/wine-loader")
# The fixture found that this machine cannot run the loader: 77 is CTest's skip for the tests.
if [ -f "$bindir/wine-unavailable" ]; then
  echo "skipped: $(cat "$bindir/wine-unavailable")" >&2
  exit 77
fi
exec "$loader" "$@"
