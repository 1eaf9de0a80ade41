#!/usr/bin/env bash
# Trace capture: W43TRACE and W4XTRACE store their port drivers' traces after the EFT download.
set -euo pipefail

work=$SUITE_WIN/demo-trace
rm -rf "$work"
mkdir -p "$work"
cd "$work"
export SIMDEV_STATE_DIR="Z:$work/state"

# run PROGRAM: runs a trace program here and says how it ended.
run() {
  local status=0
  wine "$SUITE_BIN/$1" | indent || status=$?
  echo "  exit status $status"
}
# records FILE: the records at the start of a trace file, read with the documented layout
# (16-byte header, little-endian numbers, then the data); the first zero kind ends them.
records() {
  local file=$1 at=0 size kinds=(? sent answer download call line)
  size=$(stat -c %s "$file")
  while [ $((at + 16)) -le "$size" ]; do
    read -r kind flags m0 m1 p0 p1 s0 s1 q0 q1 q2 q3 n0 n1 \
      <<<"$(od -A n -t u1 -j "$at" -N 14 "$file" | tr -s ' \n' '  ')"
    [ "$kind" -eq 0 ] && break
    local n=$((n0 + 256 * n1)) data
    if [ "$kind" -eq 3 ]; then
      data=$(od -A n -c -j $((at + 16)) -N "$n" "$file" | tr -d ' \n')
    else
      data=$(od -A n -t x1 -j $((at + 16)) -N $((n < 12 ? n : 12)) "$file" | xargs)
      [ "$n" -gt 12 ] && data="$data ..."
    fi
    printf '  #%-3d %-8s COM%d %d status %d flags %d, %4d bytes: %s\n' \
      $((q0 + 256 * q1 + 65536 * q2 + 16777216 * q3)) "${kinds[kind]:-?}" $((p0 + 256 * p1)) \
      $((m0 + 256 * m1)) $((s0 + 256 * s1)) "$flags" "$n" "$data"
    at=$((at + 16 + n))
  done
  if cmp -s -i "$at:0" -n $((size - at)) "$file" /dev/zero; then
    echo "  then zeros from byte $at up to byte $size"
  else
    echo "  then bytes that are no records, from byte $at"
  fi
}

# The emulated terminal of the EFT demo, copied so that its own state stays as it was; when
# that demo has not run, a small exchange of our own.
if [ -f "$SUITE_WIN/demo-eft/state/WNT43PDD.TRC" ]; then
  cp -r "$SUITE_WIN/demo-eft/state" state
  rm -f state/serve.lines
  serve "$work/state"
  echo "The state directory of the EFT demo: its terminal on COM3 and its port drivers' traces."
else
  serve "$work/state"
  echo "No EFT demo state: a download of our own on COM3."
  srec_cat -generate 0x0000 0x0020 -constant 0x00 -generate 0x4000 0x4100 -repeat-string "TRACE " \
           -o DEMOAPP.HEX -intel --address-length=2 --obs=32
  simdev attach COM3 8343 dual serial=41-00017
  wine "$SUITE_BIN/WNT43APD.exe" DEMOAPP.HEX 3 >/dev/null
fi
echo "  WNT43PDD keeps $(stat -c %s state/WNT43PDD.TRC) bytes of records."
# The port drivers ask the device on the port the installer recorded for their family for
# their traces, over the serial line: the terminal on COM3, and a PIN pad on COM2 that has
# done nothing yet.
simdev attach COM2 8342 >/dev/null
keys='HKCR\QRT_8300_FIO_DEVICES'
wine reg add "$keys\QRT8343" /v ComPort /t REG_DWORD /d 3 /f >/dev/null 2>&1
wine reg add "$keys\QRT8342P" /v ComPort /t REG_DWORD /d 2 /f >/dev/null 2>&1
trap 'wine reg delete "$keys\QRT8343" /f >/dev/null 2>&1; wine reg delete "$keys\QRT8342P" /f >/dev/null 2>&1' EXIT
echo "  The installer's record: the 8343 on COM3, the 8342 on COM2."

echo "W43TRACE (prints nothing when it succeeds):"
run W43TRACE.exe
echo "  W43TRACE.DAT: $(stat -c %s W43TRACE.DAT) bytes, read back record by record:"
records W43TRACE.DAT

echo "W4XTRACE: the 8341/8342 family's driver WNT4XPDD has recorded nothing here."
run W4XTRACE.exe
if cmp -s -n 8192 W4XTRACE.DAT /dev/zero; then zero="all zero"; else zero="not all zero"; fi
echo "  W4XTRACE.DAT: $(stat -c %s W4XTRACE.DAT) bytes, $zero"

echo "simdev trace WNT43PDD off, then W43TRACE again (the earlier file stays as it was):"
simdev trace WNT43PDD off
before=$(md5sum <W43TRACE.DAT)
run W43TRACE.exe
[ "$(md5sum <W43TRACE.DAT)" = "$before" ] && echo "  W43TRACE.DAT unchanged"
simdev trace WNT43PDD on

echo "A folder named W4XTRACE.DAT in the way:"
rm W4XTRACE.DAT
mkdir W4XTRACE.DAT
run W4XTRACE.exe

echo "The stand-in drivers and libraries in the distribution folder:"
(cd "$SUITE_DIST" && ls -l W4XTRACE.EXE W43TRACE.EXE WNT4XPDD.DLL WNT43PDD.DLL README.DOC \
  WNT41MAG.* WNTA1MAG.* WNT42MSR.* WNTA2MSR.* WNTA2PIN.* WNTA3EFT.* | awk '{printf "  %-14s %8d bytes\n", $9, $5}')
