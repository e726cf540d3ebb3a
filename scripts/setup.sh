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
  # lumra serve: HTTP and JSON; its browser tests: the browser (Node below).
  libcpp-httplib-dev nlohmann-json3-dev
  chromium
  # Thumbnails: the cache's hashes (index.json is JSON as above).
  libssl-dev
  binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  clang
  # The Windows build and its tests: the cross compiler (posix threads), Wine and a
  # headless X display for its windows.
  g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth
  # setfacl and getfacl, for the attacks on saving (scripts/save_attacks.sh).
  acl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

# Node and npm drive the browser tests: Debian's, unless the machine has its own.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser tests' packages, as their lock file pins them (puppeteer-core only
# drives the system's Chromium; it downloads no browser).
browser_tests="$(cd "$(dirname "$0")/.." && pwd)/tests/browser"
if [ ! -d "$browser_tests/node_modules/puppeteer-core" ] ||
   [ "$browser_tests/package-lock.json" -nt "$browser_tests/node_modules/.package-lock.json" ]; then
  echo "setup: npm ci in tests/browser"
  (cd "$browser_tests" && npm ci --no-audit --no-fund --loglevel=error)
fi

