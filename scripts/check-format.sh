#!/usr/bin/env bash
# Checks that every tracked C and C++ source is formatted as .clang-format says; prints the
# files that are not. Usage: check-format.sh [clang-format]
set -euo pipefail
cd "$(dirname "$0")/.."
format=${1:-clang-format}
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.c' '*.H')
else
  mapfile -t files < <(find . -path ./build -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.H' \) -print | sort)
fi
bad=0
for f in "${files[@]}"; do
  [[ -f "$f" ]] || continue  # deleted in the working tree, not yet in the index
  if ! "$format" --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f (clang-format -i $f)"
    bad=1
  fi
done
echo "checked ${#files[@]} files"
exit $bad
