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
# A test that must run as an ordinary user (SUITE_WINE_ACCOUNT) runs as the fixture's account
# when the tests run as root; runuser keeps the rest of the test's environment.
if [ -n "${SUITE_WINE_ACCOUNT:-}" ] && [ "$(id -u)" -eq 0 ]; then
  if [ ! -f "$bindir/wine-account" ]; then
    echo "skipped: $(cat "$bindir/wine-account-unavailable" 2>/dev/null || echo no account)" >&2
    exit 77
  fi
  read -r account home prefix <"$bindir/wine-account"
  exec runuser -u "$account" -- env HOME="$home" WINEPREFIX="$prefix" "$loader" "$@"
fi
exec "$loader" "$@"
