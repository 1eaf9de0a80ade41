#!/usr/bin/env bash
# PIN pad: WNTDLD42 loads keys into an emulated 8342 PIN pad; screenshots of its window and forms.
set -euo pipefail

work=$SUITE_WIN/demo-pinpad
rm -rf "$work"
mkdir -p "$work"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
export SIMDEV_STATE_DIR
SIMDEV_STATE_DIR=$(winpath "$work/state")
serve "$work/state"
show() { tr -d '\r' | sed 's/^/  /'; }

# No 8342 recorded in the device configuration, so the program asks for the port. The key is
# put back as it was afterwards.
saved="$work/devices.reg"
had_key=0
wine reg export 'HKCR\QRT_8300_FIO_DEVICES' "$(winpath "$saved")" >/dev/null 2>&1 && had_key=1
restore() {
  if [ "$had_key" = 1 ]; then
    wine reg delete 'HKCR\QRT_8300_FIO_DEVICES' /f >/dev/null 2>&1 || true
    wine reg import "$(winpath "$saved")" >/dev/null 2>&1 || true
  fi
}
trap restore EXIT
for personality in QRT8342P QRT8342M; do
  wine reg delete "HKCR\\QRT_8300_FIO_DEVICES\\$personality" /f >/dev/null 2>&1 || true
done

echo "Attach an emulated 8342 PIN pad on COM2 (serial number and hardware version given):"
simdev attach COM2 8342 serial=0000834200001234 "version=8342 HW 02.10"

shot() { printf 'shot "%s"\n' "$(winpath "$SUITE_DOCS/$1")"; }
script="$work/drive.txt"
cat >"$script" <<SCRIPT
env SIMDEV_STATE_DIR "$SIMDEV_STATE_DIR"
cd "$(winpath "$SUITE_BIN")"
start "WNTDLD42.exe"
wait "Enter Communication Port Number"
clear 1200
type 1200 "2"
$(shot wntdld42-commport.png)
click 1201
sleep 500
wait "QRT 8342 Download Program"
$(shot wntdld42-main.png)
command 200
wait "Load 8 Byte Non-Encrypted Master Key"
type 800 "0123456789abcdef"
$(shot wntdld42-ld8mkn.png)
click 801
wait "Load Master Key Response"
$(shot wntdld42-retlsnb.png)
click 805
sleep 500
wait "QRT 8342 Download Program"
command 204
wait "Load 8 Byte Encryption Key"
type 1000 "fedcba9876543210"
type 1001 "7"
type 1002 "00"
click 1003
msgbox
answer 1
wait "QRT 8342 Download Program"
command 103
wait "8342 Set Mode"
click 601
$(shot wntdld42-setmode.png)
click 602
msgbox
answer 1
wait "QRT 8342 Download Program"
command 104
wait "8342 Serial Number Response"
$(shot wntdld42-devsn.png)
click 501
sleep 500
wait "QRT 8342 Download Program"
command 105
wait "8342 Hardware Version Response"
expect 400 "8342 HW 02.10"
click 402
sleep 500
wait "QRT 8342 Download Program"
key F3
exit 0
SCRIPT
echo "WNTDLD42 driven like a person would: port 2 typed, an 8-byte master key loaded, an"
echo "encryption key with a one-digit key ID refused, clear mode set, serial number read:"
# Inside a Wine virtual desktop of its own, so the windows have their title bars.
wine explorer.exe "/desktop=WNTDLD42-$$-$RANDOM,800x600" "$(winpath "$SUITE_BIN/uidrive.exe")" \
  "$(winpath "$script")" | show

echo "The pad keeps its keys as digests (simdev show COM2):"
simdev show COM2 | grep -E 'master_key|mode=|serial'
echo "What the port driver WNT4XPDD recorded (simdev trace WNT4XPDD show):"
simdev trace WNT4XPDD show | grep -E 'COM2 8342' | cut -c1-110
echo "Screenshots: $(cd "$SUITE_DOCS" && ls wntdld42-*.png | tr '\n' ' ')"
