#!/usr/bin/env bash
# Opens every dialog of the Windows game under Wine at 100 % and at 150 % display scale (LogPixels 96 and 144), as
# a player on a laptop display would: the dialogs must grow with the scale (their font does), so nothing is clipped
# and the text is drawn at the display's own resolution instead of being stretched. Screenshots of each land in the
# output directory for a look.
#   scale_check.sh DRAVOLINEX_EXE OUTPUT_DIRECTORY
set -u
source "$(dirname "$(realpath "$0")")/../lib/window_test_helpers.sh"
exe=$(realpath "$1")
out=$(realpath -m "${2:-windows-scale}")

mkdir -p "$out"
run_in_virtual_display "$0" "$exe" "$out"

rm -f "$out"/*.png "$out"/*.log
export WINEPREFIX="$out/prefix" WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=" WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making a Wine prefix in $WINEPREFIX"
  wineboot --init > "$out/wineboot.log" 2>&1
  wineserver -w
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1

size() { xdotool getwindowgeometry --shell "$1" | awk -F= '/^(WIDTH|HEIGHT)=/ { printf "%s ", $2 }'; }

# The dialogs' sizes at one scale, as "name width height" lines in $out/sizes-DPI.txt.
measure() {
  local dpi=$1 w settings=""
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null 2>&1
  wine reg delete 'HKCU\Software\Orv' /f > /dev/null 2>&1
  wineserver -w # the scale is read when the Wine server starts
  : > "$out/sizes-$dpi.txt"
  start_game "game-$dpi" wine "$exe"
  wait_window '^Dravolinex$' 30 > /dev/null || fail "$dpi dpi: no main window"
  if w=$(wait_window 'Game Feature Settings' 30); then
    settings=$w
    sleep 1; shot "$dpi-1-game-settings"; echo "settings $(size "$w")" >> "$out/sizes-$dpi.txt"
  fi
  xdotool key alt+c
  if w=$(wait_window 'View & Controls Settings' 5); then
    sleep 0.5; shot "$dpi-2-view-controls"; echo "view $(size "$w")" >> "$out/sizes-$dpi.txt"
    xdotool key Escape; sleep 0.5
  fi
  # Cancel in the View dialog may end the settings dialog too (the game then pauses); if not, Escape ends it.
  if ! wait_window 'Game Paused' 1 > /dev/null; then
    [ -n "$settings" ] && xdotool windowfocus "$settings" 2> /dev/null # no window manager gives the focus back
    xdotool key Escape
  fi
  if w=$(wait_window 'Game Paused' 5); then
    sleep 0.5; shot "$dpi-3-paused"; echo "paused $(size "$w")" >> "$out/sizes-$dpi.txt"
    xdotool key Return; sleep 0.5
  fi
  xdotool key alt+slash
  if w=$(wait_window '^About$' 5); then
    sleep 0.5; shot "$dpi-4-about"; echo "about $(size "$w")" >> "$out/sizes-$dpi.txt"
    xdotool key Return; sleep 0.5
  fi
  xdotool key n
  if w=$(wait_window '^New Game$' 5); then
    sleep 0.5; shot "$dpi-5-new-game"; echo "question $(size "$w")" >> "$out/sizes-$dpi.txt"
    xdotool key n; sleep 0.5
  fi
  exit_by_menu "$dpi dpi" 10
}

measure 96
measure 144
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f > /dev/null 2>&1
wineserver -w

# Each dialog at 150 % is 1.3 to 1.7 times its size at 100 % both ways (text metrics do not scale exactly).
for name in settings view paused about question; do
  read -r w1 h1 < <(awk -v n="$name" '$1 == n { print $2, $3 }' "$out/sizes-96.txt")
  read -r w2 h2 < <(awk -v n="$name" '$1 == n { print $2, $3 }' "$out/sizes-144.txt")
  if [ -z "${w1:-}" ] || [ -z "${w2:-}" ]; then fail "the $name dialog did not open at both scales"; continue; fi
  if [ $((w2 * 10)) -ge $((w1 * 13)) ] && [ $((w2 * 10)) -le $((w1 * 17)) ] &&
     [ $((h2 * 10)) -ge $((h1 * 13)) ] && [ $((h2 * 10)) -le $((h1 * 17)) ]; then
    pass "the $name dialog grows with the scale: ${w1}x${h1} at 100 %, ${w2}x${h2} at 150 %"
  else
    fail "the $name dialog does not follow the scale: ${w1}x${h1} at 100 %, ${w2}x${h2} at 150 %"
  fi
  unset w1 h1 w2 h2
done

finish "windows scale check"
