#!/usr/bin/env bash
# The size of every program and library of a Windows tree's kits as built and as shipped
# (stripped), and where the code (.text) and unwind tables (.eh_frame) of the programs and
# libraries named come from, read from their link maps.
# Usage: scripts/kit-sizes.sh [TREE] [TARGET...]   (default build/win32, WNT43APD WNT43EFT_dll)
set -euo pipefail
cd "$(dirname "$0")/.."
tree=${1:-build/win32}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(WNT43APD WNT43EFT_dll)

echo "| file | as built | shipped | shipped / built |"
echo "|---|---:|---:|---:|"
total_built=0 total_shipped=0
for shipped in "$tree"/kits-stage/*/*.EXE "$tree"/kits-stage/*/*.DLL; do
  name=${shipped##*/}
  built=$(find "$tree/bin" -maxdepth 1 -iname "$name" | head -n 1)
  b=$(stat -c %s "$built") s=$(stat -c %s "$shipped")
  total_built=$((total_built + b)) total_shipped=$((total_shipped + s))
  printf '| %s | %d | %d | %.2f |\n' "$name" "$b" "$s" "$(echo "$s / $b" | bc -l)"
done
printf '| all | %d | %d | %.2f |\n' "$total_built" "$total_shipped" \
  "$(echo "$total_shipped / $total_built" | bc -l)"

# From a GNU ld map: the bytes each origin put into .text and .eh_frame. An input section
# line may be wrapped: its name alone, then address, size and file on the next line.
for target in "${targets[@]}"; do
  map="$tree/maps/$target.map"
  echo
  echo "$target ($map):"
  echo "| section | origin | bytes | share |"
  echo "|---|---|---:|---:|"
  awk '
    function hex(s, n, i) {
      n = 0
      for (i = 3; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", tolower(substr(s, i, 1))) - 1
      return n
    }
    function origin(file) {
      if (file ~ /libstdc\+\+/) return "libstdc++ (static C++ runtime)"
      if (file ~ /libgcc/) return "libgcc (unwinder, helpers)"
      if (file ~ /libwinpthread/) return "winpthread"
      if (file ~ /(libmingw|libmsvcrt|libmoldname|crt2|crtbegin|crtend|dllcrt)/) return "MinGW C runtime"
      return "the suite'"'"'s own code"
    }
    function take(size, file) {
      if (out != ".text" && out != ".eh_frame") return
      bytes[out, origin(file)] += hex(size); total[out] += hex(size)
    }
    /^\.[A-Za-z_]/ { out = $1; pending = 0; next }
    pending && /^ +0x/ { take($2, $3); pending = 0; next }
    /^ \./ { if (NF >= 4 && $2 ~ /^0x/) take($3, $4); else if (NF == 1) pending = 1; next }
    END {
      for (key in bytes) {
        split(key, k, SUBSEP)
        printf "| %s | %s | %d | %.0f %% |\n", k[1], k[2], bytes[key], 100 * bytes[key] / total[k[1]]
      }
    }' "$map" | sort -t'|' -k2,2 -k4,4nr
done
