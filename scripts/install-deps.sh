#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the suite.
# apt only, quiet, and a no-op when everything is already there.
set -euo pipefail

packages=(
  make cmake g++ googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix wine64 fonts-wine xvfb xauth
  srecord imagemagick x11-apps clang libclang-rt-14-dev
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
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
