#!/usr/bin/env bash
# Installs, from Debian's packages, what building and testing the project needs.
# Does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev
  # Pictures: each format read by a library made for untrusted files; stb only
  # writes (and its decoder serves the benchmark of the readers that replaced it).
  libstb-dev libopenexr-dev
  libpng-dev libjpeg62-turbo-dev libtiff-dev
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
