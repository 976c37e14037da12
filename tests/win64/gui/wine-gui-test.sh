#!/usr/bin/env bash
# Drives Brume's editor the way a user sees it: the test host runs under
# Wine on a private Xvfb server, xdotool clicks and drags in its window,
# ImageMagick's import takes screenshots, and the host's log shows what
# reached the host. Every step is bounded; any failure ends the test.
#
# usage: wine-gui-test.sh <scenario> <host.exe> <Brume.dll> <wine prefix> <work dir> <source dir>
#   scenarios: pages, menu-and-drag, open-close, dpi-aware, dpi-unaware
#   (the dpi ones use a prefix of their own whose display is 144 dpi, and
#   run the host per-monitor DPI-aware or not)
set -euo pipefail
scenario=$1 host=$2 plugin=$3 prefix=$4 work=$5/$1 source=$6
images=$source/resources/img
rm -rf "$work" && mkdir -p "$work"
commands=$work/commands.txt log=$work/host.log
: >"$commands"

fail() { echo "FAIL [$scenario]: $*" >&2; exit 1; }
winpath() { local p; p=$(realpath -m "$1"); echo "Z:${p//\//\\}"; }

host_args=()
case "$scenario" in
  dpi-*) prefix=$prefix-dpi144 ;;
esac
[[ $scenario == dpi-* ]] && host_args=("$scenario")
bash "$source/scripts/wine-prefix.sh" init-x11 "$prefix" >/dev/null
export WINEPREFIX
WINEPREFIX=$(realpath -m "$prefix")
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
if [[ $scenario == dpi-* && ! -f $WINEPREFIX/.kestrel-dpi144 ]]; then
  # What winecfg's screen resolution setting writes (older Wine read the
  # second key).
  (unset DISPLAY
   wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f &&
   wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
     /t REG_DWORD /d 144 /f && wineserver -w) >/dev/null 2>&1 || { echo "cannot set LogPixels" >&2; exit 1; }
  touch "$WINEPREFIX/.kestrel-dpi144"
fi
# The size a user chose in an earlier run must not carry over.
find "$WINEPREFIX/drive_c/users" -path '*/Orvendale/Brume/settings' -delete 2>/dev/null || true

xvfb_pid="" host_pid=""
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null || true
  timeout 20 wineserver -k 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# A display number of its own: Xvfb picks a free one and reports it.
timeout 115 Xvfb -displayfd 3 -screen 0 1700x1100x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
deadline=$((SECONDS + 15))
until grep -q '[0-9]' "$work/display" 2>/dev/null; do
  ((SECONDS < deadline)) && kill -0 "$xvfb_pid" 2>/dev/null || { xvfb_pid=""; echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
export DISPLAY=:$(tr -dc 0-9 <"$work/display")

timeout 100 wine "$host" "$(winpath "$plugin")" "$(winpath "$commands")" "$(winpath "$log")" "${host_args[@]}" \
  </dev/null >"$work/host.out" 2>&1 &
host_pid=$!

# wait_log <regex> [seconds]: until the log has a matching line.
wait_log() {
  local deadline=$((SECONDS + ${2:-30}))
  until grep -Eq "$1" "$log" 2>/dev/null; do
    ((SECONDS < deadline)) || fail "no log line /$1/ (log: $(tr '\n' '|' <"$log" 2>/dev/null))"
    kill -0 "$host_pid" 2>/dev/null || fail "the host ended early ($(cat "$work/host.out"))"
    sleep 0.1
  done
}
wait_count() {  # wait_count <regex> <n>: until n lines match
  local deadline=$((SECONDS + 20))
  until (($(grep -Ec "$1" "$log") >= $2)); do
    ((SECONDS < deadline)) || fail "fewer than $2 log lines /$1/"
    sleep 0.1
  done
}
run() { echo "$*" >>"$commands"; }
window_of() {  # the X window of host window <n>
  local id deadline=$((SECONDS + 15))
  until id=$(timeout 5 xdotool search --onlyvisible --name "^Kestrel Host $1\$" 2>/dev/null | head -1) && [ -n "$id" ]; do
    ((SECONDS < deadline)) || fail "no window 'Kestrel Host $1'"
    sleep 0.2
  done
  echo "$id"
}
# shot <window> <file> [check...]: a screenshot once the editor has redrawn;
# with a check, retaken (for up to 5 s) until the check passes, for slow
# machines. The caller then runs its checks on the last one.
shot() {
  local try
  for try in $(seq 10); do
    sleep 0.5
    timeout 10 import -window "$1" "$2" || continue
    (($# < 3)) || ("${@:3}") >/dev/null 2>&1 && return 0
  done
  [ -f "$2" ] || fail "no screenshot of $1"
}
click() { timeout 5 xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }
# open_menu <window> <x> <y> <what>: clicks there and waits for the popup,
# a new window; sets X, Y, WIDTH and HEIGHT to its geometry.
open_menu() {
  local before menu="" deadline=$((SECONDS + 10))
  before=$(timeout 5 xdotool search --onlyvisible --name '' | sort)
  click "$1" "$2" "$3"
  until [ -n "$menu" ]; do
    menu=$(comm -13 <(echo "$before") <(timeout 5 xdotool search --onlyvisible --name '' | sort) | head -1)
    ((SECONDS < deadline)) || fail "no $4 appeared"
    sleep 0.2
  done
  sleep 0.5
  eval "$(timeout 5 xdotool getwindowgeometry --shell "$menu")"
}

# crop <image> <x> <y> <w> <h> <out>
crop() { convert "$1" -crop "$4x$5+$2+$3" +repage "$6"; }
# Pixels that differ by more than a little between two images of one size.
differing() { compare -metric AE -fuzz 6% "$1" "$2" null: 2>&1 | cut -d' ' -f1 || true; }
# Near-white pixels (text ink) in a region.
white_pixels() {
  convert "$1" -crop "$4x$5+$2+$3" +repage -channel RGB -threshold 75% -separate \
    -evaluate-sequence min -format "%[fx:round(mean*w*h)]" info:
}

expect_editor() {  # expect_editor <screenshot>: artwork and read-out text
  local shot=$1
  [ "$(identify -format %wx%h "$shot")" = 815x500 ] || fail "$shot is not 815x500"
  # Above the controls the window shows the panel artwork itself.
  crop "$shot" 0 0 815 34 "$work/top.png"
  crop "$images/brume_background.png" 0 0 815 34 "$work/top-art.png"
  local d; d=$(differing "$work/top.png" "$work/top-art.png")
  ((d < 100)) || fail "$shot: the panel artwork is missing ($d pixels differ)"
  # Read-outs (filter 1 freq, gain, master mix, lfo 1 rate, control rate)
  # carry white text that the artwork alone does not have.
  local r
  for r in "25 100 85 25" "173 435 85 25" "460 435 85 25" "570 100 85 25" "320 480 120 20"; do
    local ink art
    ink=$(white_pixels "$shot" $r) art=$(white_pixels "$images/brume_background.png" $r)
    ((ink > art + 15)) || fail "$shot: no white text in the read-out at ($r): $ink vs $art"
  done
}

selector_frame() {  # which selector frame (1 or 2) the screenshot shows
  local f
  crop "$1" 330 35 300 25 "$work/sel.png"
  for f in 1 2; do
    convert "$images/brume_background.png" -crop 300x25+330+35 +repage \
      \( "$images/matrix_selector.png" -crop "300x25+0+$(((f - 1) * 25))" +repage \) \
      -composite "$work/sel-$f.png"
  done
  local d1 d2
  d1=$(differing "$work/sel.png" "$work/sel-1.png") d2=$(differing "$work/sel.png" "$work/sel-2.png")
  if ((d1 * 4 < d2)); then echo 1; elif ((d2 * 4 < d1)); then echo 2; else echo "?"; fi
}

expect_page() {  # expect_page <screenshot> <selector frame>
  expect_editor "$1"
  [ "$(selector_frame "$1")" = "$2" ] || fail "$1: the selector does not show frame $2"
}

value_of() {  # the last logged value of parameter <index> in slot <n>
  grep -E "^(automate|param) $1 $2 " "$log" | tail -1 | awk '{print $4}'
}
near() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; exit !(d < 0.002 && d > -0.002) }'; }

wait_log '^ready$'
case "$scenario" in
  pages)
    # A little routing on each page (In 1 -> Out 1, In 2 -> Delay 1 at
    # +50%; Lfo 1 -> Filter Freq 1 at +50%), so that the pages differ.
    run load 1
    for setting in "1 0.125" "2 0.1" "3 0.75" "4 0.25" "5 0.7" "6 0.75" "68 0.857143" "69 0.375" "70 0.75"; do
      run set 1 $setting
    done
    run open 1
    wait_log '^opened 1 result=1 editor=1 at 0 0 815 500 rect 0 0 500 815$'
    win=$(window_of 1)
    # kMatrixTab starts at 1: the modulation page.
    shot "$win" "$work/mod-matrix.png" expect_page "$work/mod-matrix.png" 2
    expect_page "$work/mod-matrix.png" 2
    click "$win" 400 47
    wait_log '^automate 1 105 0\.000000$'
    shot "$win" "$work/audio-matrix.png" expect_page "$work/audio-matrix.png" 1
    expect_page "$work/audio-matrix.png" 1
    crop "$work/mod-matrix.png" 264 80 290 300 "$work/m1.png"
    crop "$work/audio-matrix.png" 264 80 290 300 "$work/a1.png"
    (($(differing "$work/m1.png" "$work/a1.png") > 200)) || fail "the matrix area did not change pages"
    click "$win" 400 47
    wait_log '^automate 1 105 1\.000000$'
    shot "$win" "$work/back.png" expect_page "$work/back.png" 2
    crop "$work/back.png" 264 80 290 300 "$work/m2.png"
    (($(differing "$work/m1.png" "$work/m2.png") < 20)) || fail "the second click did not bring the mod page back"
    ;;
  menu-and-drag)
    run load 1 && run set 1 105 0 && run open 1
    wait_log '^opened 1 result=1'
    win=$(window_of 1)
    # The menu is a new window at the cursor.
    open_menu "$win" 300 95 "popup menu"
    timeout 10 import -window root "$work/menu.png"
    # Nine sources; the third ("In 2") is 2 / 8 of the range.
    timeout 5 xdotool mousemove $((X + WIDTH / 2)) $((Y + 3 + (HEIGHT - 6) * 5 / 18)) click 1
    wait_log '^end 1 1$'
    grep -E '^(begin|automate|end) 1 1 ?' "$log" >"$work/gesture.log"
    awk 'NR==1 && !/^begin 1 1$/ {exit 1} /^automate/ && $4 != "0.250000" {exit 1} END {if (!/^end 1 1$/) exit 1}' \
      "$work/gesture.log" || fail "the menu gesture reached the host as: $(tr '\n' '|' <"$work/gesture.log")"
    grep -q '^automate 1 1 0.250000$' "$work/gesture.log" || fail "kAudioIn1 did not become In 2"
    # Drag the mix read-out (kDryWetMix, 25 pixels high, gearing 4) 20
    # pixels up: +20 / 25 / 4 = +0.2 of the range.
    run param 1 49
    wait_log '^param 1 49 '
    start=$(value_of 1 49)
    timeout 10 xdotool mousemove --window "$win" 500 447 mousedown 1 sleep 0.2 \
      mousemove --window "$win" 500 437 sleep 0.2 mousemove --window "$win" 500 427 sleep 0.2 mouseup 1
    wait_log '^end 1 49$'
    got=$(value_of 1 49)
    near "$got" "$(awk -v s="$start" 'BEGIN { print s + 0.2 }')" || fail "the drag moved kDryWetMix from $start to $got"
    ;;
  open-close)
    run load 1 && run load 2 && run open 1 && run open 2 && run class
    wait_log '^class 1$'
    grep -q '^opened 2 result=1 editor=1' "$log" || fail "the second editor did not open"
    w1=$(window_of 1) w2=$(window_of 2)
    shot "$w1" "$work/first.png" expect_editor "$work/first.png"
    expect_editor "$work/first.png"
    shot "$w2" "$work/second.png" expect_editor "$work/second.png"
    expect_editor "$work/second.png"
    # A click in the second editor reaches the second instance only.
    click "$w2" 400 47
    wait_log '^automate 2 105 0\.000000$'
    ! grep -q '^automate 1 ' "$log" || fail "the first instance saw the second editor's click"
    # Closing one keeps the class for the other; the last close removes it.
    run close 1 && run class
    wait_log '^closed 1 result=1 editor=0$' && wait_log '^class 1$'
    run open 1
    wait_log '^opened 1 result=1 editor=1 at 0 0 815 500'
    shot "$w1" "$work/reopened.png" expect_editor "$work/reopened.png"
    expect_editor "$work/reopened.png"
    run close 1 && run close 2 && run class
    wait_log '^closed 2 result=1 editor=0$' && wait_count '^class' 3
    [ "$(grep '^class' "$log" | tail -1)" = "class 0" ] || fail "the window class outlived the last editor"
    # Closing the plug-in with its editor open takes the window down first.
    run open 1 && run unload 1 && run class
    wait_log '^unloaded 1 editor=0$' && wait_count '^class' 4
    [ "$(grep '^class' "$log" | tail -1)" = "class 0" ] || fail "the window class outlived the unloaded plug-in"
    ;;
  dpi-unaware)
    # Windows stretches an unaware host's windows itself: the editor stays 100 %.
    run load 1 && run open 1
    wait_log '^opened 1 result=1 editor=1 at 0 0 815 500 rect 0 0 500 815$'
    win=$(window_of 1)
    shot "$win" "$work/windows-editor-unaware.png" expect_editor "$work/windows-editor-unaware.png"
    expect_editor "$work/windows-editor-unaware.png"
    ;;
  dpi-aware)
    # The host's window reports 144 dpi: 150 %, 815 x 500 -> 1223 x 750.
    run load 1 && run set 1 105 0 && run open 1
    wait_log '^opened 1 result=1 editor=1 at 0 0 1223 750 rect 0 0 750 1223$'
    win=$(window_of 1)
    shot "$win" "$work/windows-editor-150.png"
    [ "$(identify -format %wx%h "$work/windows-editor-150.png")" = 1223x750 ] || fail "the editor is not 1223x750"
    # Read-outs (filter 1 freq, gain, mix, lfo 1 rate) at their scaled places carry text.
    for r in "38 150 127 37" "260 653 127 37" "690 653 127 37" "855 150 127 37"; do
      ink=$(white_pixels "$work/windows-editor-150.png" $r)
      ((ink > 60)) || fail "no white text in the scaled read-out at ($r): $ink"
    done
    # The selector, clicked at its scaled place, switches the page.
    click "$win" 600 70
    wait_log '^automate 1 105 1\.000000$'
    # The size menu (logical 690,480-790,500) lists Auto and the nine steps;
    # 200 % resizes the editor and asks the host, whose frame follows.
    open_menu "$win" 1150 735 "size menu"
    timeout 10 import -window root "$work/size-menu.png"
    timeout 5 xdotool mousemove $((X + WIDTH / 2)) $((Y + 3 + (HEIGHT - 6) * 11 / 20)) click 1
    wait_log '^sizeWindow 1 1630 1000$'
    shot "$win" "$work/windows-editor-200.png"
    [ "$(identify -format %wx%h "$work/windows-editor-200.png")" = 1630x1000 ] || fail "the editor is not 1630x1000"
    ink=$(white_pixels "$work/windows-editor-200.png" 1320 870 170 50)
    ((ink > 80)) || fail "no white text in the pan 2 read-out at 200 %: $ink"
    # At the picked 200 % in a 150 % window the editor draws the menu itself,
    # twice as tall as at 100 %: 10 items of at least 2 x 15 pixels.
    open_menu "$win" 1480 980 "size menu at 200 %"
    timeout 10 import -window root "$work/size-menu-200.png"
    ((HEIGHT >= 300)) || fail "the size menu at 200 % is only $HEIGHT pixels high"
    timeout 5 xdotool key Escape
    ;;
  *) fail "unknown scenario" ;;
esac
run quit
wait_log '^quit$'
echo "PASS [$scenario]"
