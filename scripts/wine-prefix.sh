#!/usr/bin/env bash
# Manages the private, headless Wine prefix the Windows tests run in.
#
# usage: scripts/wine-prefix.sh init|init-x11|start|stop <prefix-dir>
#   init   create and initialise the prefix once (wineboot --init); no-op after
#   init-x11  the same for a prefix that keeps Wine's X11 display driver,
#          for the editor tests that run on an X server of their own
#   start  init, then start one persistent wine server for the prefix, so the
#          test programs that follow do not each pay for a server start-up
#   stop   stop that server and every Wine process of the prefix
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 init|init-x11|start|stop <prefix-dir>" >&2
  exit 2
fi
action=$1
export WINEPREFIX
WINEPREFIX=$(realpath -m "$2")
export WINEDEBUG=-all
# win64 whatever the environment says, unless the caller asks for a 32-bit
# Windows with KESTREL_WINEARCH=win32.
export WINEARCH=${KESTREL_WINEARCH:-win64}
# No Mono or Gecko installer prompts: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Never touch a real display, even when one is set.
unset DISPLAY WAYLAND_DISPLAY

make_prefix() {
  wineboot --init >/dev/null 2>&1 || return 1
  # Windows and their controls without an X server: Wine's null display
  # driver.
  if [ "$graphics" = null ]; then
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 || return 1
  fi
  wineserver -w
}

# Made, and usable by this Wine: once 32-bit Wine is installed, Wine's
# launcher starts every program through the 32-bit loader, which cannot
# start in a 64-bit prefix made without it (an empty syswow64).
prefix_ready() {
  [ -f "$WINEPREFIX/.kestrel-ready" ] || return 1
  [ "$WINEARCH" = win32 ] || [ ! -x /usr/lib/wine/wine ] || [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]
}

init_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  # Tests run two at a time, and each may be the first to need the prefix.
  exec 8>"$WINEPREFIX.lock"
  flock 8
  if ! prefix_ready; then
    # A half-made prefix from an interrupted run, or one this Wine cannot
    # use, is made anew; anything that is not a Wine prefix is left alone.
    if [ -d "$WINEPREFIX" ] && [ -n "$(ls -A "$WINEPREFIX")" ]; then
      if [ ! -f "$WINEPREFIX/system.reg" ] && [ ! -d "$WINEPREFIX/dosdevices" ]; then
        echo "wine-prefix.sh: $WINEPREFIX exists and is not a Wine prefix" >&2
        exit 1
      fi
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
    fi
    # Wine now and then fails to start at once (seen on a fresh machine):
    # one more attempt from scratch, and a message rather than a silent exit.
    local attempt
    for attempt in 1 2; do
      if make_prefix; then
        touch "$WINEPREFIX/.kestrel-ready"
        break
      fi
      echo "wine-prefix.sh: making $WINEPREFIX failed (attempt $attempt)" >&2
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      ((attempt < 2)) || exit 1
    done
  fi
  flock -u 8
}

graphics=null
case "$action" in
  init) init_prefix ;;
  init-x11)
    graphics=x11
    init_prefix
    ;;
  start)
    init_prefix
    # A server left over from an earlier run (persistent, or lingering after
    # its last program) would keep this one from starting.
    wineserver -k 2>/dev/null || true
    wineserver -p
    # Boot the session now, detached from the caller's output: Wine's service
    # processes live as long as the server and keep the standard handles of
    # the program that started them.
    wineboot </dev/null >/dev/null 2>&1
    ;;
  stop)
    if [ -d "$WINEPREFIX" ]; then
      wineserver -k || true
    fi
    ;;
  *)
    echo "usage: $0 init|init-x11|start|stop <prefix-dir>" >&2
    exit 2
    ;;
esac
