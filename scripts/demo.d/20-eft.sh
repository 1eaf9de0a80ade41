#!/usr/bin/env bash
# EFT terminal: WNT43APD downloads an application into an emulated 8343 terminal.
set -euo pipefail

work=$SUITE_WIN/demo-eft
rm -rf "$work"
mkdir -p "$work"
cd "$work"
# The emulated devices of this demo live here; the stand-in library and simdev find them
# through this variable (a Windows path: they run under Wine).
export SIMDEV_STATE_DIR="Z:$work/state"
serve "$work/state"

echo "Sample applications made by srec_cat: a 32-byte record at 0000, then 16-bit data records."
srec_cat -generate 0x0000 0x0020 -constant 0x00 \
         -generate 0x4000 0x8000 -repeat-string "DEMO DUAL-PROCESSOR APPLICATION " \
         -o DEMOAPP.HEX -intel --address-length=2 --obs=32
srec_cat -generate 0x0000 0x0020 -constant 0x00 \
         -generate 0x7000 0x10000 -repeat-string "SINGLE-PROCESSOR APPLICATION " \
         -o SINGLE.HEX -intel --address-length=2 --obs=32
for f in DEMOAPP.HEX SINGLE.HEX; do
  echo "  $f: $(wc -l <"$f") records, starts $(head -c 9 "$f") / $(sed -n 2p "$f" | head -c 9)"
done

echo "Attach an emulated dual-processor 8343 terminal on COM3:"
simdev attach COM3 8343 dual serial=41-00017

echo "WNT43APD DEMOAPP.HEX 3 (a two-second pause follows the download):"
status=0
wine "$SUITE_BIN/WNT43APD.exe" DEMOAPP.HEX 3 | indent || status=$?
echo "  exit status $status"

echo "The terminal now holds the application:"
simdev show COM3 | grep -E 'main_application|image:'

echo "WNT43APD SINGLE.HEX 3 (a single-processor application on the dual-processor terminal):"
status=0
wine "$SUITE_BIN/WNT43APD.exe" SINGLE.HEX 3 | indent || status=$?
echo "  exit status $status"

echo "What the port driver WNT43PDD recorded (simdev trace show):"
simdev trace WNT43PDD show | cut -c1-100
