#!/usr/bin/env bash
# Runs a command (ctest of the windows preset, a test program...) with Wine ready
# for the project's Windows programs: a prefix of its own in /tmp (one per user, as
# Wine wants its prefix owned by the user who runs it), made on first use,
# Wine's virtual desktop (windows then need no window manager), the crash debugger
# off, a headless X display, and a wineserver started first with its output away
# from the command's (its background processes would otherwise hold ctest's pipes).
#   scripts/wine.sh ctest --preset windows
set -euo pipefail

export WINEPREFIX=${WINEPREFIX:-/tmp/lumra-wine-$(id -u)}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"winedbg.exe=d;mscoree,mshtml="}
export WINEDEBUG=${WINEDEBUG:--all}
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
for tool in "$wine64" "$wineserver"; do
  [ -x "$tool" ] || { echo "wine.sh: $tool not found; run scripts/setup.sh" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "wine.sh: xvfb-run not found; run scripts/setup.sh" >&2; exit 1; }

# Made once; the mark is written last, so that an interrupted start is redone.
if [ ! -f "$WINEPREFIX/.lumra-ready" ]; then
  echo "wine.sh: making the Wine prefix $WINEPREFIX"
  "$wine64" wineboot -i >/dev/null 2>&1
  # Every window on one virtual desktop.
  "$wine64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
  "$wineserver" -w
  touch "$WINEPREFIX/.lumra-ready"
fi

# Inside the X display: start the server and the desktop, run the command, stop the
# server (and with it everything Wine started).
export LUMRA_WINE64=$wine64 LUMRA_WINESERVER=$wineserver
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  "$LUMRA_WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$LUMRA_WINE64" wineboot >/dev/null 2>&1 </dev/null
  "$LUMRA_WINE64" explorer /desktop=Default,1280x1024 >/dev/null 2>&1 </dev/null &
  status=0
  "$@" || status=$?
  "$LUMRA_WINESERVER" -k >/dev/null 2>&1 || true
  exit $status' wine.sh "$@"
