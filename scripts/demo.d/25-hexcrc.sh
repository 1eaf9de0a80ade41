#!/usr/bin/env bash
# HEX file CRC: application files from srec_cat, in order and reversed, against srec_cat's CRC.
set -euo pipefail

hexcrc=$SUITE_ROOT/build/host/bin/hexcrc
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# A one-processor application: a 32-byte record at 0000, then 7000 to FFFF in 16-byte records.
head -c $((0x10000)) /dev/urandom >image.bin
srec_cat image.bin -binary -crop 0 0x20 -o head.hex -intel -address-length=2 -obs=32
srec_cat image.bin -binary -crop 0x7000 0x10000 -o body.hex -intel -address-length=2 -obs=16
{ head -n 1 head.hex; cat body.hex; } >APP.HEX
n=$(wc -l <APP.HEX)
{ head -n 2 APP.HEX; sed -n "3,$((n - 1))p" APP.HEX | tac; tail -n 1 APP.HEX; } >APPDOWN.HEX
{ echo; cat APP.HEX; } >BLANK.HEX

echo "APP.HEX: $(wc -l <APP.HEX) records, 7000 to FFFF in address order; APPDOWN.HEX: the same"
echo "records after record 2 in descending order. hexcrc (the build tool over the computation):"
for name in APP APPDOWN; do
  echo "  hexcrc $name"
  "$hexcrc" "$name" | sed 's/^/    /'
done
crc=$(srec_cat image.bin -binary -crop 0x7000 0x10000 -crc16-b-e 0x20000 -xmodem \
  -polynomial ibm -least-to-most -crop 0x20000 0x20002 -offset -0x20000 -o - -binary |
  od -An -tx1 | tr -d ' \n' | tr a-f A-F)
echo "  srec_cat's CRC-16/ARC of the image from 7000 to FFFF: $crc"
for name in BLANK MISSING; do
  echo "  hexcrc $name"
  "$hexcrc" "$name" 2>&1 | sed 's/^/    /' || true
done
