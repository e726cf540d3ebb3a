#!/usr/bin/env bash
# Compiles the plug-in's resource script with the Windows resource compiler of the
# mingw-w64 tools, against the Windows headers, so that the script stays a real
# Windows resource script and not only one our own reader accepts.
# Needs binutils-mingw-w64-x86-64 and mingw-w64-x86-64-dev (scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

windres=x86_64-w64-mingw32-windres
if ! command -v "$windres" >/dev/null; then
  echo "check_resources: $windres not found; run scripts/setup.sh" >&2
  exit 1
fi

# The C preprocessor of the build machine, kept to the Windows headers of mingw-w64
# (the cross compiler itself is not needed for resources).
include=/usr/share/mingw-w64/include
pre=(--preprocessor=cpp --preprocessor-arg=-E --preprocessor-arg=-xc
     --preprocessor-arg=-DRC_INVOKED --preprocessor-arg=-nostdinc
     --preprocessor-arg=-I$include --preprocessor-arg=-D_WIN32 --preprocessor-arg=-D_WIN64
     --preprocessor-arg=-D__x86_64__)

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$windres" "${pre[@]}" --input-format=rc --output-format=coff -c 65001 -I ui \
  -i ui/LumraMtl.rc -o "$out/LumraMtl.res.o"
# The compiled resources also read back as a resource file, dialogs and strings included.
"$windres" --input-format=coff --output-format=rc -i "$out/LumraMtl.res.o" -o "$out/LumraMtl.back.rc"
grep -q '^82 DIALOGEX' "$out/LumraMtl.back.rc"
grep -q '^84 DIALOGEX' "$out/LumraMtl.back.rc"
echo "check_resources: ui/LumraMtl.rc compiles with $windres"
