#!/usr/bin/env bash
# WNT43SUP: the support program against an emulated 8343, every menu command once.
set -euo pipefail

work=$SUITE_WIN/demo-wnt43sup
rm -rf "$work"
mkdir -p "$work"
cd "$work"
export SIMDEV_STATE_DIR="Z:$work/state"
serve "$work/state"
win() { "$SUITE_ROOT/cmake/wine-run.sh" "$SUITE_WIN" "$@"; }
show() { tr -d '\r' | sed 's/^/  /'; }
# The demo's `drive`, but runnable from this folder.
drive() { win "$SUITE_BIN/uidrive.exe" -; }

echo "An application for a single-processor terminal, 7000 to FFFF, made by srec_cat:"
srec_cat -generate 0x0000 0x0020 -constant 0x00 \
         -generate 0x7000 0x10000 -repeat-string "SUPPORT PROGRAM DEMO APPLICATION " \
         -o SUPAPP.HEX -intel --address-length=2 --obs=32
# srec_cat's own CRC-16/ARC of the 9000 bytes from 7000, to set beside both of the program's.
value=$(srec_cat -disable-sequence-warnings SUPAPP.HEX -intel -crop 0x7000 0x10000 \
          -crc16-b-e 0x20000 -xmodem -polynomial ibm -least-to-most \
          -crop 0x20000 0x20002 -offset -0x20000 -o - -binary | od -An -tx1 | tr -d ' \n')
value=$((16#$value))
crc=$(printf '%X' "$value")
((value < 0x1000)) && crc="0$crc"  # as the program shows it: one 0 before three digits or fewer
beginning=7000 length=9000
echo "  SUPAPP.HEX: $(wc -l <SUPAPP.HEX) records; srec_cat's CRC-16 of 7000-FFFF: $(printf '%04X' "$value")"

echo "An emulated single-processor 8343 on COM4 with a smart card in its slot; WNT43APD"
echo "downloads the application into it:"
simdev attach COM4 8343 single
simdev card COM4 insert 3B6500002063CB6600
win "$SUITE_BIN/WNT43APD.exe" SUPAPP.HEX 4 | show

# The program asks for the port only when the 8343 is not in the device configuration; an
# earlier FIOSETUP demo may have recorded one, so it is put aside for this part.
key='HKCR\QRT_8300_FIO_DEVICES\QRT8343'
saved=$(win reg query "$key" /v ComPort 2>/dev/null | tr -d '\r' | awk '/ComPort/{print $3}' || true)
win reg delete "$key" /f >/dev/null 2>&1 || true
restore() {
  if [ -n "$saved" ]; then win reg add "$key" /v ComPort /t REG_DWORD /d "$saved" /f >/dev/null; fi
}
trap restore EXIT

echo "The main window with its Options menu open (menushot sends Alt+O's keyboard command):"
drive <<SCRIPT >/dev/null &
env SIMDEV_STATE_DIR "Z:$work/state"
start "WNT43SUP.exe"
wait "Enter Communication Port Number"
click 1202
wait "QRT 8343 Support Program"
sleep 6000
key F3
exit 0
SCRIPT
menu=$!
win "$SUITE_BIN/menushot.exe" "QRT 8343 Support Program" o "Z:$SUITE_DOCS/wnt43sup-menu.png" | show
wait "$menu"

# The sixteen fields of a demonstration RSA key (modulus 210-217, exponent 218-225), as uidrive steps.
rsa_key_fields() {
  local id=210 field
  for field in C3A1F00D5EED1234 0123456789ABCDEF FEDCBA9876543210 0F1E2D3C4B5A6978 \
               8796A5B4C3D2E1F0 1122334455667788 99AABBCCDDEEFF00 DEADBEEF00C0FFEE \
               0000000000000000 0000000000000000 0000000000000000 0000000000000000 \
               0000000000000000 0000000000000000 0000000000000000 0000000000010001; do
    echo "type $id \"$field\""
    id=$((id + 1))
  done
}

echo "Every command of the Options menu, driven like a person would (uidrive):"
drive <<SCRIPT | sed 's/^/  /'
env SIMDEV_STATE_DIR "Z:$work/state"
cd "Z:$work"
start "WNT43SUP.exe"
wait "Enter Communication Port Number"
clear 1200
type 1200 "4"
shot "Z:$SUITE_DOCS/wnt43sup-commport.png"
click 1201
wait "QRT 8343 Support Program"
command 101
wait "Load Cleartext RSA Private Key"
$(rsa_key_fields)
shot "Z:$SUITE_DOCS/wnt43sup-ldrsapk.png"
click 226
wait "Load Cleartext RSA Private Key Warning"
shot "Z:$SUITE_DOCS/wnt43sup-ldrsapkwn.png"
click 227
msgbox
answer 1
wait "QRT 8343 Support Program"
command 101
wait "Load Cleartext RSA Private Key"
$(rsa_key_fields)
click 226
wait "Load Cleartext RSA Private Key Warning"
click 227
msgbox
answer 1
wait "QRT 8343 Support Program"
command 102
wait "Load Cleartext Double Length DES Key Part"
type 310 "3"
type 311 "1"
type 312 "0123456789ABCDEF"
type 313 "FEDCBA9876543210"
click 314
msgbox
answer 1
wait "QRT 8343 Support Program"
command 103
wait "Load Device Serial Number"
type 410 "00017"
click 411
wait "Load Serial Number Warning"
click 412
msgbox
answer 1
wait "QRT 8343 Support Program"
command 104
wait "8343 Device Information Response"
expect 504 "41-00017"
expect 706 "SUPAPP"
shot "Z:$SUITE_DOCS/wnt43sup-devinfo.png"
click 501
wait "QRT 8343 Support Program"
command 105
wait "Read Device Status Response"
expect 604 "ON"
shot "Z:$SUITE_DOCS/wnt43sup-rdstat.png"
click 616
wait "QRT 8343 Support Program"
command 106
msgbox
answer 1
command 106
msgbox
answer 1
command 107
wait "Generate a CRC from an Input HEX File"
type 700 "SUPAPP"
click 701
wait "Generate CRC Information Respose"
expect 703 "$beginning"
expect 704 "$length"
expect 705 "$crc"
shot "Z:$SUITE_DOCS/wnt43sup-gencrco.png"
click 706
wait "QRT 8343 Support Program"
command 108
wait "Query the CRC of the Device Memory"
type 800 "$beginning"
type 801 "$length"
click 802
wait "Query CRC Information Response"
expect 805 "$(printf '%08X' "0x$crc")"
shot "Z:$SUITE_DOCS/wnt43sup-qrymcrco.png"
click 806
wait "QRT 8343 Support Program"
key F3
exit 0
SCRIPT
echo "  The CRC the terminal computed over $beginning, length $length, is the file's CRC $crc."

echo "What the terminal holds now (keys only as digests):"
simdev show COM4 | grep -E 'serial=|rsa_key|des_key|card=|image:'
