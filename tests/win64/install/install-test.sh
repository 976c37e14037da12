#!/usr/bin/env bash
# The Windows installer in a fresh Wine prefix of its own: silent installs
# (default folders, over itself, one format only, a VST 2.4 folder from /D=
# that the next install remembers), the installed plug-ins in a host, a
# failing install's exit status, and silent uninstalls that leave the
# machine's files and HKLM\Software exactly as they were apart from files
# the installer did not make.
#
# usage: install-test.sh <setup.exe or none> <probe.exe> <build dir> <scratch dir> <source dir>
# Exit status 77 (skipped) without an installer (no makensis) or 32-bit Wine.
set -uo pipefail
setup=$1 probe=$2 build=$3 scratch=$4 source=$5
. "$(dirname "$0")/installer-checks.sh"

export WINEPREFIX=$scratch/prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
prefix_script=$source/scripts/wine-prefix.sh
rm -rf "$scratch" && mkdir -p "$scratch" || exit 1
trap 'bash "$prefix_script" stop "$WINEPREFIX" >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
bash "$prefix_script" start "$WINEPREFIX" || { echo "FAILED: no Wine prefix"; exit 1; }

c=$WINEPREFIX/drive_c
common="$c/Program Files/Common Files"
stage_setup
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
win() { wine "$@" </dev/null >>"$scratch/wine.log" 2>&1; }
# The installer through cmd, as an administrator types it: /D= takes the
# rest of the line unquoted, spaces and all (wine would quote it).
install() { win cmd /c "$setup_path $*"; }
# The 64-bit registry view, where the installer writes and 64-bit hosts
# read; a bare "wine reg" is 32-bit where Wine has both halves.
reg64() { wine reg "$@" /reg:64; }
# Every file and folder outside Windows' own and the users' temporary
# folders, and the keys where software registers itself (a recursive
# listing of HKLM\Software takes Wine many seconds): the installer writes
# only below HKLM\Software\Orvendale and the Uninstall key.
snapshot() {
  (cd "$c" && find . -path ./windows -prune -o -path './users/*/Temp' -prune \
    -o -path './users/*/AppData/Local/Temp' -prune -o -print | sort)
  local key
  for key in 'HKLM\Software' 'HKLM\Software\Wow6432Node' "$uninstall_key"; do
    reg64 query "$key" 2>/dev/null | tr -d '\r' | grep '^HKEY' | sort
  done
}
entries() { reg64 query "$uninstall_key" /s 2>/dev/null | tr -d '\r' | grep -cE 'DisplayName +REG_SZ +Brume$'; }
value() { reg64 query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$2 +REG_[A-Z_]+ +//p"; }
# The uninstaller runs from a copy of itself and returns at once; the
# program folder is the last thing it removes.
uninstall() {
  win "C:\\Program Files\\Orvendale\\Brume\\Uninstall.exe" /S || return 1
  local i
  for ((i = 0; i < 300; i++)); do
    [ -e "$c/Program Files/Orvendale" ] || return 0
    sleep 0.2
  done
  return 1
}

# Folders and files that were there before: VST3 exists with another
# plug-in in it, VST2 does not.
mkdir -p "$common/VST3/Other.vst3" && echo other >"$common/VST3/Other.vst3/other.txt"
before=$(snapshot)

# ---- Default folders --------------------------------------------------------
check "silent install exits 0" install /S
vst2="$common/VST2/Brume.dll"
vst3="$common/VST3/Brume.vst3/Contents/x86_64-win/Brume.vst3"
clap="$common/CLAP/Brume.clap"
check "Brume.dll in %CommonProgramFiles%\\VST2 as built" cmp -s "$build/Brume.dll" "$vst2"
check "Brume.clap in %CommonProgramFiles%\\CLAP as built" cmp -s "$build/Brume.clap" "$clap"
check "the VST3 module in its bundle as built" cmp -s "$build/Brume.vst3/Contents/x86_64-win/Brume.vst3" "$vst3"
key="$uninstall_key\\Brume"
check "Uninstall entry: name" test "$(value "$key" DisplayName)" = Brume
check "Uninstall entry: publisher" test "$(value "$key" Publisher)" = Orvendale
check "Uninstall entry: version" test "$(value "$key" DisplayVersion)" = "$version"
size=$(value "$key" EstimatedSize)
check "Uninstall entry: size ($size) covers both files" \
  test $((size)) -ge $((($(stat -c %s "$vst2") + $(stat -c %s "$vst3")) / 1024))
check "Uninstall entry: icon" test -n "$(value "$key" DisplayIcon)"
check "Uninstall entry: uninstaller" test -f "$c/Program Files/Orvendale/Brume/Uninstall.exe"
installed=$(snapshot)
check "the snapshot sees the keys it made" \
  grep -qxF -e 'HKEY_LOCAL_MACHINE\Software\Orvendale' <<<"$installed"
check "the snapshot sees the Uninstall key" grep -qxF -e "${key/HKLM/HKEY_LOCAL_MACHINE}" <<<"$installed"
# A crash would start Wine's debugger and wait: the time limit ends it.
check "the installed plug-ins load in the test hosts and process audio" \
  timeout 120 wine "$probe" 'C:\Program Files\Common Files\VST2\Brume.dll' \
  'C:\Program Files\Common Files\VST3\Brume.vst3\Contents\x86_64-win\Brume.vst3'
! timeout 120 wine "$probe" 'C:\Program Files\Common Files\VST2\Brume.dll' 'C:\Program Files\Common Files\VST2\Brume.dll' >/dev/null 2>&1
check "the host check fails for a file that is not a VST3 module" test $? -eq 0

echo stale >"$vst2"
check "second install exits 0" install /S
check "second install: one Uninstall entry" test "$(entries)" = 1
check "second install replaces the files" cmp -s "$build/Brume.dll" "$vst2"

# A plug-in the user adds beside Brume.dll stays, and so does its folder.
echo mine >"$common/VST2/Mine.dll"
check "silent uninstall" uninstall
# So does the settings dump Brume.dll writes when a host closes it.
expected=$(printf '%s\n' "$before" "./Program Files/Common Files/VST2" "./Program Files/Common Files/VST2/Mine.dll" \
  ./dumpfile.txt | sort)
after=$(snapshot)
check "uninstall removes what it made and nothing else" test "$after" = "$expected"
[ "$after" = "$expected" ] || diff <(echo "$expected") <(echo "$after")

# ---- One format only -----------------------------------------------------------
check "install with /NOVST2 exits 0" install /S /NOVST2
check "/NOVST2: the VST3 module as built" cmp -s "$build/Brume.vst3/Contents/x86_64-win/Brume.vst3" "$vst3"
check "/NOVST2: no Brume.dll" test ! -e "$vst2"
check "/NOVST2: Brume.clap as built" cmp -s "$build/Brume.clap" "$clap"
install /S /NOVST2 /NOVST3 /NOCLAP
check "install with every format left out exits non-zero" test $? -ne 0
check "and keeps what is installed" cmp -s "$build/Brume.vst3/Contents/x86_64-win/Brume.vst3" "$vst3"
check "silent uninstall" uninstall
after=$(snapshot)
check "uninstall after a VST3-only install" test "$after" = "$expected"
[ "$after" = "$expected" ] || diff <(echo "$expected") <(echo "$after")

# ---- A failing install says so -----------------------------------------------
# A file of the user's where the VST3 bundle's folder must go.
echo mine >"$common/VST3/Brume.vst3"
install /S
check "install that cannot make its folders exits non-zero" test $? -ne 0
check "and leaves the user's file" test "$(cat "$common/VST3/Brume.vst3")" = mine
rm "$common/VST3/Brume.vst3"

# ---- A VST 2.4 folder of the administrator's choice, remembered ----------------
check "install with /D exits 0" install /S '/D=C:\Audio\Plug-ins 64\VST2'
custom="$c/Audio/Plug-ins 64/VST2/Brume.dll"
check "Brume.dll in the /D folder" cmp -s "$build/Brume.dll" "$custom"
rm "$custom"
check "install without /D exits 0" install /S
check "the /D folder is remembered" cmp -s "$build/Brume.dll" "$custom"
check "nothing in the default folder" test ! -e "$vst2"
check "one Uninstall entry" test "$(entries)" = 1
check "silent uninstall" uninstall
after=$(snapshot)
check "uninstall removes the folders it made for /D" test "$after" = "$expected"
[ "$after" = "$expected" ] || diff <(echo "$expected") <(echo "$after")

if ! report; then
  # The prefix stays for a look.
  trap 'bash "$prefix_script" stop "$WINEPREFIX" >/dev/null 2>&1' EXIT
  exit 1
fi
