#!/usr/bin/env bash
# Attacks on saving, through lumra as a user runs it: a save under a file-size limit
# (ulimit -f 1), a save over a file with an access control list, and saves cut short
# by Ctrl-C (SIGINT) at random moments, many rounds. After each, the folder must hold
# exactly one file, whole and loadable, with the permissions it had, and nothing
# else.
#
#   scripts/save_attacks.sh [LUMRA] [ROUNDS]     (default: build/release/lumra/lumra, 200)
#
# Exits 0 when every check passed, 1 when one failed, 77 when the machine cannot run
# them (no setfacl, or a file system without access control lists).
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
lumra="${1:-$here/build/release/lumra/lumra}"
rounds="${2:-200}"
[ -x "$lumra" ] || { echo "save_attacks: no lumra at $lumra (build first)" >&2; exit 2; }
command -v setfacl >/dev/null || { echo "save_attacks: setfacl missing (scripts/setup.sh)" >&2; exit 77; }

work="$(mktemp -d "${TMPDIR:-/tmp}/lumra-save-attacks.XXXXXX")"
# Only this shell cleans up: a background job signalled before it has become lumra is
# still a copy of this shell, with this trap.
trap '[ "$BASHPID" = "'$$'" ] && rm -rf "$work"' EXIT
scene="$work/scene.lsc"
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The folder holds scene.lsc alone, it loads, and it has mode $1 and access list $2.
check_folder() {
  local what="$1" mode="$2" acl="$3" entries
  entries="$(ls -A "$work")"
  [ "$entries" = "scene.lsc" ] || fail "$what: the folder holds: $(echo "$entries" | tr '\n' ' ')"
  "$lumra" load "$scene" >/dev/null 2>&1 || fail "$what: the file does not load"
  [ "$(stat -c %a "$scene")" = "$mode" ] || fail "$what: mode $(stat -c %a "$scene"), not $mode"
  [ "$(getfacl -cp "$scene" 2>/dev/null)" = "$acl" ] || fail "$what: its access list changed"
}

# 1. Over a file with an access control list: the named entries and the mask stay.
"$lumra" save "$scene" --set mtl_diffuse_color=0.1,0.2,0.3
chmod 0640 "$scene"
setfacl -m u:4321:rw,g::r,m::rw "$scene" ||
  { echo "save_attacks: no access control lists in $work" >&2; exit 77; }
acl="$(getfacl -cp "$scene")"
mode="$(stat -c %a "$scene")"
"$lumra" save "$scene" --set mtl_diffuse_color=0.4,0.5,0.6 || fail "save over an access list"
check_folder "access control list" "$mode" "$acl"
case "$("$lumra" load "$scene")" in *0.4,0.5,0.6*) ;; *) fail "access control list: not the new content" ;; esac

# 2. Under ulimit -f 1 (1 KiB): refused with the reason and status 1, not a signal.
set +e
message="$( (ulimit -f 1; "$lumra" save "$scene" --set mtl_diffuse_color=0.7,0.8,0.9) 2>&1)"
status=$?
set -e
[ "$status" -eq 1 ] || fail "ulimit -f 1: status $status, not 1"
case "$message" in *"File too large"*) ;; *) fail "ulimit -f 1: said: $message" ;; esac
check_folder "ulimit -f 1" "$mode" "$acl"
case "$("$lumra" load "$scene")" in *0.4,0.5,0.6*) ;; *) fail "ulimit -f 1: the previous content changed" ;; esac

# 3. Ctrl-C at random moments of a save: ends by SIGINT (status 130) or saves whole.
# With job control on, a background command does not ignore SIGINT (as it would in a
# script otherwise), just as a command in the foreground of a terminal.
set -m
interrupted=0
for ((round = 0; round < rounds; ++round)); do
  "$lumra" save "$scene" --set mtl_diffuse_mult="0.$((round % 10))" &
  pid=$!
  sleep "$(printf '0.%03d' $((RANDOM % 16)))"
  kill -INT "$pid" 2>/dev/null || true
  set +e
  wait "$pid" 2>/dev/null
  status=$?
  set -e
  case "$status" in
    0) ;;
    130) interrupted=$((interrupted + 1)) ;;
    *) fail "round $round: status $status" ;;
  esac
  check_folder "Ctrl-C round $round" "$mode" "$acl"
done

echo "save_attacks: $rounds Ctrl-C rounds ($interrupted ended by the signal), ulimit -f 1," \
  "access control list: $failures failure(s)"
[ "$failures" -eq 0 ]
