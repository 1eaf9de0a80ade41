#!/usr/bin/env bash
# Release: the two 32-bit x86 kits, the device libraries' plain __stdcall exports, and the source composed from the kits.
set -euo pipefail

objdump=i686-w64-mingw32-objdump
echo "The shipped programs and libraries are 32-bit x86 PE files, made for Windows 7 SP1 and later:"
for file in FIOSETUP.EXE WNT43EFT.DLL; do
  $objdump -f "$SUITE_DIST/$file" | awk -v f="$file" '/file format/{print "  " f ": " $NF}'
  $objdump -p "$SUITE_DIST/$file" | awk '/MajorSubsystemVersion/{major=$2} /MinorSubsystemVersion/{print "    subsystem version " major "." $2}'
done
echo "WNT43EFT.DLL exports its __stdcall functions under their plain names, as a maker's DLL does:"
$objdump -p "$SUITE_DIST/WNT43EFT.DLL" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && NF==0{on=0} on{print "  " $NF}'
echo "and WNT43APD.EXE imports them so:"
$objdump -p "$SUITE_BIN/WNT43APD.exe" | awk '/DLL Name: WNT43EFT/{on=1; next} on && NF==0{on=0} on && /^\t[0-9a-f]/{print "  " $NF}'

echo "The kits (build/release), checked against their SHA256SUMS:"
unpack=$(mktemp -d)
trap 'rm -rf "$unpack"' EXIT
for zip in "$SUITE_ROOT"/build/release/*.zip; do
  name=$(basename "$zip" .zip)
  (cd "$unpack" && cmake -E tar xf "$zip" && cd "$name" &&
   echo "  $name.zip: $(ls | wc -l) files, $(sha256sum --check --quiet SHA256SUMS && echo 'every sum right');" \
     "$(cat "$SUITE_WIN/kits-stage/$name.signing")" &&
   echo "    $(ls | tr '\n' ' ')")
done
kit=$(ls -d "$unpack"/qrt8300-fio-[0-9]*)
emulator=$(ls -d "$unpack"/qrt8300-fio-emulator-*)
echo "The suite kit's WNT43APD.EXE is stripped: $(stat -c %s "$kit/WNT43APD.EXE") bytes," \
  "$(stat -c %s "$SUITE_BIN/WNT43APD.exe") as built; its symbols stay in build/win32/symbols."
echo "The emulator kit's libraries say what they are:"
for dll in WNT43EFT.DLL WNT42PIN.DLL; do
  echo "  $dll: $(strings -el "$emulator/$dll" | grep -m1 '^Emulated')"
done

composesrc=$SUITE_WIN/native/bin/composesrc
echo "An installation source composed from the two kits is refused without --emulated:"
{ "$composesrc" --kit "$kit" --devices "$emulator" --out "$unpack/source" 2>&1 || true; } |
  sed -n '1,4s/^/  /p'
echo "  ..."
echo "and composed with it (what build/win32/dist is):"
"$composesrc" --kit "$kit" --devices "$emulator" --out "$unpack/source" --emulated | sed 's/^/  /'
