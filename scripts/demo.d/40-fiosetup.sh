#!/usr/bin/env bash
# FIOSETUP's command-line mode: configuration files applied to the registry, no window.
set -euo pipefail

work="$SUITE_WIN/demo-fiosetup/config files"
mkdir -p "$work"
# words W0 W1 W2 W3: the 16-byte file, four little-endian 32-bit words.
words() {
  local w
  for w in "$@"; do
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((w & 255)) $((w >> 8 & 255)) \
      $((w >> 16 & 255)) $((w >> 24 & 255)))"
  done
}
winpath() { printf 'Z:%s' "${1//\//\\}"; }
fiosetup() {
  local rc=0
  wine "$SUITE_BIN/FIOSETUP.exe" "$@" || rc=$?
  echo "  exit code $rc"
}
show() {
  local listing
  if listing=$(wine reg query 'HKCR\QRT_8300_FIO_DEVICES' /s 2>/dev/null); then
    listing=$(printf '%s\n' "$listing" | tr -d '\r' | sed '/^$/d; s/^/    /')
    printf '%s\n' "${listing:-    HKCR\\QRT_8300_FIO_DEVICES (empty)}"
  else
    echo "    (no HKCR\\QRT_8300_FIO_DEVICES)"
  fi
}

wine reg delete 'HKCR\QRT_8300_FIO_DEVICES' /f >/dev/null 2>&1 || true

words 3 0 0 4 >"$work/FIOSETUP.CFG"
echo "FIOSETUP.CFG with the ports 3, 0, 0, 4 (8341 on COM3, 8343 on COM4), the path has a blank, so Wine passes it in quotes:"
fiosetup "$(winpath "$work/FIOSETUP.CFG")"
show

words $((0x80000000)) 2 7 0 >"$work/MSR-S.CFG"
echo "An 8342 MSR on COM2 with the S option and a PIN pad on COM7, no 8341 (the 8343 goes):"
fiosetup "$(winpath "$work/MSR-S.CFG")"
show

words 0 0 0 0 >"$work/EMPTY.CFG"
echo "Four zero words: every subkey deleted, the root key stays:"
fiosetup "$(winpath "$work/EMPTY.CFG")"
show

head -c 15 "$work/FIOSETUP.CFG" >"$work/SHORT.CFG"
echo "A 15-byte file (not a valid configuration file), then a missing one; registry untouched:"
fiosetup "$(winpath "$work/SHORT.CFG")"
fiosetup "$(winpath "$work/MISSING.CFG")"
show

wine reg delete 'HKCR\QRT_8300_FIO_DEVICES' /f >/dev/null 2>&1 || true
rm -rf "$SUITE_WIN/demo-fiosetup"
