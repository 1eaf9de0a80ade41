#!/usr/bin/env bash
# Builds the three presets (native with sanitizers; 32-bit and 64-bit Windows with MinGW-w64),
# with warnings as errors, quietly: the full compiler output goes to build/<preset>.log and is
# shown only when a build fails.
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p build
for preset in host win32 win64; do
  log=build/$preset.log
  if cmake --preset "$preset" -DSUITE_WERROR=ON >"$log" 2>&1 &&
    cmake --build --preset "$preset" >>"$log" 2>&1; then
    echo "built $preset ($(grep -c 'warning:' "$log" || true) warnings; log in $log)"
  else
    cat "$log"
    echo "build of $preset failed (log in $log)" >&2
    exit 1
  fi
done
