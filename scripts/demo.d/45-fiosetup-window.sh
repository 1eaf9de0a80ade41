#!/usr/bin/env bash
# FIOSETUP's window: two devices added through the COM port dialog, installed from the distribution folder into a new target folder; files, registry and PATH.
set -euo pipefail

work="$SUITE_WIN/demo-fiosetup-window"
rm -rf "$work"
mkdir -p "$work"
target="$work/target"  # the directory dialog creates it
winpath() { printf 'Z:%s' "${1//\//\\}"; }
reg_show() {
  local listing
  if listing=$(wine reg query "$@" 2>/dev/null); then
    printf '%s\n' "$listing" | tr -d '\r' | sed '/^$/d; s/^/    /'
  else
    echo "    (not there)"
  fi
}
files_show() {
  if [ -d "$1" ] && [ -n "$(ls -A "$1")" ]; then ls -1 "$1" | sed 's/^/    /'; else echo "    (none)"; fi
}

# The user's PATH is given a known value for the demonstration and restored at the end.
saved_path=$(wine reg query 'HKCU\Environment' /v PATH 2>/dev/null | tr -d '\r' |
  sed -n 's/^    PATH    REG_[A-Z_]*SZ    //p' || true)
restore() {
  if [ -n "$saved_path" ]; then
    wine reg add 'HKCU\Environment' /v PATH /t REG_SZ /d "$saved_path" /f >/dev/null 2>&1
  else
    wine reg delete 'HKCU\Environment' /v PATH /f >/dev/null 2>&1 || true
  fi
  wine reg delete 'HKCR\QRT_8300_FIO_DEVICES' /f >/dev/null 2>&1 || true
}
trap restore EXIT
wine reg add 'HKCU\Environment' /v PATH /t REG_SZ /d 'C:\DEMO\BIN' /f >/dev/null
wine reg delete 'HKCR\QRT_8300_FIO_DEVICES' /f >/dev/null 2>&1 || true

# install SOURCE: the window driven like a person would, inside a Wine virtual desktop so
# the windows have their title bars, with the screenshots.
install() {
  local source=$1 script="$work/drive.txt"
  # Each "sleep" lets the dialog go before a menu command is sent to the main window.
  cat >"$script" <<SCRIPT
start "FIOSETUP.exe"
wait "QRT 8300 FIO Devices Installation Program"
command 200
wait "ComPort Selection"
shot "$(winpath "$SUITE_DOCS/fiosetup-comport.png")"
click 701
sleep 500
wait "QRT 8300 FIO Devices Installation Program"
command 202
wait "ComPort Selection"
select 700 1
click 701
sleep 500
wait "QRT 8300 FIO Devices Installation Program"
shot "$(winpath "$SUITE_DOCS/fiosetup-main.png")"
command 104
msgbox
answer 1
wait "SubDirectory Selection"
type 800 "$(winpath "$source")"
clear 801
type 801 "$(winpath "$target")"
shot "$(winpath "$SUITE_DOCS/fiosetup-subdir.png")"
click 803
msgbox
answer 7
msgbox
shot-screen "$(winpath "$SUITE_DOCS/fiosetup-install-result.png")"
answer 1
key F3
sleep 500
SCRIPT
  # F3 ends the program after a successful installation; after a failed one it asks about the
  # unsaved devices, and the end of the script closes it.
  # A desktop of its own each time: one that is still closing would take the new windows along.
  wine explorer.exe "/desktop=FIOSETUP-$$-$RANDOM,800x600" "$(winpath "$SUITE_BIN/uidrive.exe")" \
    "$(winpath "$script")" | tr -d '\r' | sed -n 's/^message box [^:]*: /  /p'
}

echo "Devices added through the COM port dialog: an 8341 on COM1 (OK untouched) and an 8342 PIN"
echo "pad on COM2; File > Install from $SUITE_DIST into $target:"
result=$(install "$SUITE_DIST")
printf '%s\n' "$result"
echo "Files in the target folder:"
files_show "$target"
echo "Device key (reg query HKCR\\QRT_8300_FIO_DEVICES /s):"
reg_show 'HKCR\QRT_8300_FIO_DEVICES' /s
echo "User's PATH (reg query HKCU\\Environment /v PATH):"
reg_show 'HKCU\Environment' /v PATH

if ! grep -q '"Installation complete!"' <<<"$result"; then
  echo "The installation from the distribution folder did not complete." >&2
  exit 1
fi
echo "Screenshots: fiosetup-main.png, fiosetup-comport.png, fiosetup-subdir.png, fiosetup-install-result.png"
rm -rf "$work"
