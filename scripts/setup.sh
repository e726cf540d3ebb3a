#!/usr/bin/env bash
# Installs, from Debian's packages, what building and testing the project needs.
# Does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev
  libstb-dev libopenexr-dev
  libpng-dev
  # Thumbnails: index.json and the cache's hashes.
  nlohmann-json3-dev libssl-dev
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  clang
  # The Windows build and its tests: the cross compiler (posix threads), Wine and a
  # headless X display for its windows.
  g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
