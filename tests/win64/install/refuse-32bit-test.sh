#!/usr/bin/env bash
# The Windows installer on 32-bit Windows (a 32-bit Wine prefix of its own):
# run silently it exits non-zero; run by a user it says why in a message box,
# waits for OK and then exits non-zero; either way nothing is installed.
#
# usage: refuse-32bit-test.sh <setup.exe or none> <scratch dir> <source dir>
# Exit status 77 (skipped) without an installer or without 32-bit Wine.
set -uo pipefail
setup=$1 scratch=$2 source=$3
. "$(dirname "$0")/installer-checks.sh"

export WINEPREFIX=$scratch/prefix KESTREL_WINEARCH=win32 WINEARCH=win32 WINEDEBUG=-all \
  WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
xvfb_pid="" setup_pid=""
cleanup() {
  [ -n "$setup_pid" ] && kill "$setup_pid" 2>/dev/null
  timeout 20 wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
unset DISPLAY WAYLAND_DISPLAY
bash "$source/scripts/wine-prefix.sh" init-x11 "$WINEPREFIX" || { echo "FAILED: no 32-bit Wine prefix"; exit 1; }

# A display of its own for the message box.
timeout 170 Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
xvfb_pid=$!
for ((i = 0; i < 150; i++)); do
  grep -q '[0-9]' "$scratch/display" 2>/dev/null && break
  sleep 0.1
done
grep -q '[0-9]' "$scratch/display" || { echo "FAILED: Xvfb did not start"; exit 1; }
export DISPLAY=:$(tr -dc 0-9 <"$scratch/display")

c=$WINEPREFIX/drive_c
stage_setup
snapshot() {
  (cd "$c" && find . -path ./windows -prune -o -path './users/*/Temp' -prune -o -print | sort)
  wine reg query 'HKLM\Software' 2>/dev/null | tr -d '\r' | grep '^HKEY' | sort
  wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' 2>/dev/null | tr -d '\r' | grep '^HKEY' | sort
}
before=$(snapshot)

timeout 60 wine cmd /c "$setup_path /S" </dev/null >>"$scratch/wine.log" 2>&1
rc=$?
check "a silent install exits 2 (exit code $rc)" test "$rc" = 2

# A user starts it: a message box, and the installer waits for its OK.
timeout 60 wine "$setup_path" </dev/null >>"$scratch/wine.log" 2>&1 &
setup_pid=$!
window=""
for ((i = 0; i < 300; i++)); do
  window=$(xdotool search --name "^Brume $version Setup\$" 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 "$setup_pid" 2>/dev/null || break
  sleep 0.1
done
check "a user's run shows a message box" test -n "$window"
sleep 1
check "and waits for its OK" kill -0 "$setup_pid"
import -window root "$scratch/message.png" 2>/dev/null
[ -n "$window" ] && xdotool key --window "$window" Return 2>/dev/null
wait "$setup_pid"
rc=$?
setup_pid=""
check "after OK it exits 2 (exit code $rc)" test "$rc" = 2
check "nothing was installed" test "$(snapshot)" = "$before"

report
