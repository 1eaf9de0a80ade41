#!/usr/bin/env bash
# Makes the PE reader's seed images in pefile-corpus/ (run once; the images are committed): a
# DLL of 32-bit x86 (PE32) and one of x64 (PE32+), each some 1.5 KB, built by MinGW-w64 with
# 16-byte alignment and no C runtime. Each exports SeedOpen and SeedClose, imports
# GetTickCount by name from KERNEL32.dll and DevOpen by name and one function by ordinal from
# SEEDDEV.DLL, and has a version resource whose FileDescription is "Emulated seed library".
set -euo pipefail
out="$(cd "$(dirname "$0")" && pwd)/pefile-corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cat >seed.c <<'C'
__declspec(dllimport) unsigned long __stdcall GetTickCount(void);
__declspec(dllimport) int __stdcall DevOpen(int port);
__declspec(dllimport) int __stdcall DevPoll(int handle);
__declspec(dllexport) int __stdcall SeedOpen(int port) { return DevOpen(port) + (int)GetTickCount(); }
__declspec(dllexport) int __stdcall SeedClose(int handle) { return DevPoll(handle); }
C
cat >seed.rc <<'RC'
1 VERSIONINFO
FILEVERSION 1,0,0,0
PRODUCTVERSION 1,0,0,0
FILETYPE 2
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904B0"
    BEGIN
      VALUE "FileDescription", "Emulated seed library"
      VALUE "OriginalFilename", "SEED.DLL"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
RC
for arch in x86:i686:DevOpen@4:DevPoll@4 x64:x86_64:DevOpen:DevPoll; do
  IFS=: read -r name triple open poll <<<"$arch"
  printf 'LIBRARY SEEDDEV.DLL\nEXPORTS\n  %s\n  %s @5 NONAME\n' "$open" "$poll" >dev.def
  "$triple-w64-mingw32-dlltool" -d dev.def -l libdev.a -k
  "$triple-w64-mingw32-windres" seed.rc -o seed-rc.o
  "$triple-w64-mingw32-gcc" -shared -nostdlib -nostartfiles -Os -s -fno-asynchronous-unwind-tables \
    -o "$out/$name.dll" seed.c seed-rc.o libdev.a -lkernel32 \
    -Wl,--kill-at,--file-alignment=16,--section-alignment=16,-e,0,--disable-reloc-section,--no-insert-timestamp
done
ls -l "$out"
