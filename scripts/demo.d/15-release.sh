#!/usr/bin/env bash
# Release: the 32-bit x86 suite as it ships, its device libraries' plain __stdcall exports and the archives.
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

echo "Release archives (build/release), checked against their SHA256SUMS:"
for zip in "$SUITE_ROOT"/build/release/*.zip; do
  name=$(basename "$zip" .zip)
  unpack=$(mktemp -d)
  (cd "$unpack" && cmake -E tar xf "$zip" && cd "$name" &&
   echo "  $name.zip: $(ls | wc -l) files, $(sha256sum --check --quiet SHA256SUMS && echo 'every sum right')")
  rm -rf "$unpack"
done
