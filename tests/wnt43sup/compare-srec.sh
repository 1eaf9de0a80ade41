#!/usr/bin/env bash
# Whole process against whole process: hexcrc and srec_cat computing the same CRC-16 over the
# same HEX files (36 KB and 64 KB applications, ordered, reversed and shuffled).
#
#   tests/wnt43sup/compare-srec.sh HEXCRC [RUNS]
#
# Fails when the two disagree on a CRC; prints milliseconds per run and their ratio.
set -euo pipefail
hexcrc=$(realpath "$1")
runs=${2:-100}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Ordered files from srec_cat: a 32-byte record at 0000, then 16-byte records.
intel=(-intel -address-length=2 -line-termination=crlf)
head -c $((0x10000)) /dev/urandom >image.bin
srec_cat image.bin -binary -crop 0 0x20 -o head.hex "${intel[@]}" -obs=32
srec_cat image.bin -binary -crop 0x7000 0x10000 -o body36.hex "${intel[@]}" -obs=16
srec_cat image.bin -binary -crop 0x20 0x10000 -o body64.hex "${intel[@]}" -obs=16
{ head -n 1 head.hex; cat body36.hex; } >A36ORD.HEX
{ head -n 1 head.hex; cat body64.hex; } >A64ORD.HEX

# Records after record 2 and before the end record, reversed or shuffled.
for size in 36 64; do
  n=$(wc -l <A${size}ORD.HEX)
  { head -n 2 A${size}ORD.HEX; sed -n "3,$((n - 1))p" A${size}ORD.HEX | tac; tail -n 1 A${size}ORD.HEX; } >A${size}REV.HEX
  { head -n 2 A${size}ORD.HEX; sed -n "3,$((n - 1))p" A${size}ORD.HEX | shuf; tail -n 1 A${size}ORD.HEX; } >A${size}SHU.HEX
done

srec_crc() {  # FILE FROM TO: srec_cat's CRC-16/ARC of the file's bytes FROM..TO-1, 2 bytes out
  srec_cat -disable-sequence-warnings "$1" -intel -crop "$2" "$3" -crc16-b-e 0x20000 -xmodem \
    -polynomial ibm -least-to-most -crop 0x20000 0x20002 -offset -0x20000 -o - -binary
}
ms_per_run() {  # COMMAND...: mean wall time of one run in milliseconds
  local start end
  start=$(date +%s%N)
  for ((i = 0; i < runs; i++)); do "$@" >/dev/null; done
  end=$(date +%s%N)
  awk -v t=$((end - start)) -v n="$runs" 'BEGIN { printf "%.3f", t / n / 1e6 }'
}

printf '%-8s %6s %6s %11s %13s %13s\n' file hexcrc srec_cat hexcrc_ms srec_cat_ms srec/hexcrc
status=0
for file in A36ORD A36REV A36SHU A64ORD A64REV A64SHU; do
  case $file in
    A36*) range="0x7000 0x10000" ;;
    A64*) range="0x0000 0xFFFF" ;;  # 64 KB from 0000: the last byte is left out
  esac
  ours=$("$hexcrc" "$file" | sed -n 's/^crc: //p')
  [ -n "$ours" ] || { echo "hexcrc failed on $file.HEX" >&2; exit 1; }
  theirs=$(srec_crc "$file.HEX" $range | od -An -tx1 | tr -d ' \n' | tr a-f A-F)
  # Our text has one leading zero below 1000; compare the values.
  if [ $((16#$ours)) -ne $((16#$theirs)) ]; then status=1; fi
  a=$(ms_per_run "$hexcrc" "$file")
  b=$(ms_per_run srec_crc "$file.HEX" $range)
  printf '%-8s %6s %8s %11s %13s %12.1fx\n' "$file" "$ours" "$theirs" "$a" "$b" \
    "$(awk -v a="$a" -v b="$b" 'BEGIN { print b / a }')"
done
echo "starting /bin/true the same way: $(ms_per_run /bin/true) ms per run"
[ $status -eq 0 ] || echo "hexcrc and srec_cat disagree" >&2
exit $status
