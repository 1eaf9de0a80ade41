#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the suite.
# apt only, quiet, and a no-op when everything is already there.
set -euo pipefail

# The shipped suite is 32-bit x86: its compiler and 32-bit Wine come from Debian's i386
# architecture (wine32:i386); llvm-dlltool writes the import libraries and lld-link, a
# linker of the Microsoft kind, checks that they link there too; clang-format keeps the
# sources in the one style of .clang-format.
packages=(
  make cmake g++ googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine32:i386 fonts-wine xvfb xauth
  srecord imagemagick x11-apps clang clang-format libclang-rt-14-dev llvm-14 lld-14
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo[@]}" dpkg --add-architecture i386
fi
# A mirror caught mid-sync serves an index that does not match its release file; such a
# failure passes within minutes, so the update is tried again before giving up.
for try in 1 2 3; do
  if "${sudo[@]}" apt-get update -qq; then
    break
  fi
  [ "$try" -eq 3 ] && exit 1
  echo "install-deps: apt-get update failed, trying again in 60 s" >&2
  sleep 60
done
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
