#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the suite.
# apt only, quiet, and a no-op when everything is already there.
set -euo pipefail

# The shipped suite is 32-bit x86: its compiler and 32-bit Wine come from Debian's i386
# architecture (wine32:i386); llvm-dlltool writes the import libraries and lld-link, a
# linker of the Microsoft kind, checks that they link there too; clang-format keeps the
# sources in the one style of .clang-format; osslsigncode signs the kits' binaries, openssl makes
# the throwaway certificates their test signs with, and zip writes the kits alike every time;
# setfacl (acl) lets the tests' ordinary account pass through the folders above a build tree.
packages=(
  make cmake g++ googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 wine32:i386 fonts-wine xvfb xauth
  srecord imagemagick x11-apps clang clang-format libclang-rt-14-dev llvm-14 lld-14
  osslsigncode openssl zip acl
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
# failure usually passes within minutes, so the update is tried again before going on with the
# indexes that did come.
updated=no
for try in 1 2 3; do
  if "${sudo[@]}" apt-get update -qq; then
    updated=yes
    break
  fi
  [ "$try" -eq 3 ] && break
  echo "install-deps: apt-get update failed, trying again in 60 s" >&2
  sleep 60
done
install=("${sudo[@]}" apt-get install -y -qq --no-install-recommends)
if "${install[@]}" "${missing[@]}" >/dev/null; then
  exit 0
fi
[ "$updated" = yes ] && exit 1
# Seen with the i386 index of the security archive missing: its amd64 updates are then
# candidates with no i386 twin, and the 32-bit packages cannot match them. Installed against
# the versions already on the machine instead (the security archive pinned below them), never
# removing a package to get there, and said so.
echo "install-deps: installing against the versions already here, the security archive's" \
  "index being incomplete" >&2
pin=$(mktemp)
trap 'rm -f "$pin"' EXIT
printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 90\n' >"$pin"
"${install[@]}" --no-remove -o Dir::Etc::Preferences="$pin" "${missing[@]}" >/dev/null
