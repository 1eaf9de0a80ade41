#!/usr/bin/env bash
# Builds the three presets (native with sanitizers; 32-bit and 64-bit Windows with MinGW-w64),
# with warnings as errors, quietly: the full compiler output goes to build/<preset>.log and is
# shown only when a build fails. The Windows presets make their kits signed when SIGN_CERT
# (and SIGN_KEY for a PEM certificate) names a code-signing certificate, SIGN_PASS its
# password and SIGN_TIMESTAMP_URL an RFC 3161 time-stamping server; the summary line says which.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
abs() { [ -z "$1" ] || readlink -f "$1"; }
for preset in host win32 win64; do
  log=build/$preset.log
  signing=()
  [ "$preset" = host ] || signing=(-DSUITE_SIGN_CERT="$(abs "${SIGN_CERT:-}")"
    -DSUITE_SIGN_KEY="$(abs "${SIGN_KEY:-}")" -DSUITE_SIGN_TIMESTAMP_URL="${SIGN_TIMESTAMP_URL:-}")
  if cmake --preset "$preset" -DSUITE_WERROR=ON "${signing[@]}" >"$log" 2>&1 &&
    cmake --build --preset "$preset" >>"$log" 2>&1; then
    kits=""
    if [ "$preset" != host ]; then
      kits="; kits $(cat build/"$preset"/kits-stage/*.signing | sort -u | paste -sd, -)"
      [ -n "${SIGN_CERT:-}" ] || kits="$kits (no SIGN_CERT given)"
    fi
    echo "built $preset ($(grep -c 'warning:' "$log" || true) warnings; log in $log$kits)"
  else
    cat "$log"
    echo "build of $preset failed (log in $log)" >&2
    exit 1
  fi
done
