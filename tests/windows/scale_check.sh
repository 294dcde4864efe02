#!/usr/bin/env bash
# Opens every dialog of the Windows game under Wine at 100, 150 and 200 % display scale (LogPixels 96, 144, 192), as
# a player on a laptop display would: the dialogs must grow with the scale (their font does), so nothing is clipped
# and the text is drawn at the display's own resolution instead of being stretched, and they must stay on the
# screen even when larger than the game's window. Screenshots of each land in the output directory for a look.
#   scale_check.sh DRAVOLINEX_EXE OUTPUT_DIRECTORY
set -u
source "$(dirname "$(realpath "$0")")/../lib/window_test_helpers.sh"
exe=$(realpath "$1")
out=$(realpath -m "${2:-windows-scale}")

mkdir -p "$out"
run_in_virtual_display "$0" "$exe" "$out"

rm -f "$out"/*.png "$out"/*.log
wine_prefix_ready winemenubuilder.exe=

size() { xdotool getwindowgeometry --shell "$1" | awk -F= '/^(WIDTH|HEIGHT|X|Y)=/ { v[$1] = $2 }
                  END { printf "%s %s %s %s", v["WIDTH"], v["HEIGHT"], v["X"], v["Y"] }'; }

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
measure 192
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f > /dev/null 2>&1
wineserver -w

# Each dialog grows by at least 60 % of the scale's step and at most a fifth more than the scale (text metrics and
# the message box's own layout do not scale exactly), and lies wholly on the 1280x1024 screen.
for dpi in 144 192; do
  for name in settings view paused about question; do
    read -r w1 h1 _ < <(awk -v n="$name" '$1 == n { print $2, $3 }' "$out/sizes-96.txt")
    read -r w2 h2 x2 y2 < <(awk -v n="$name" '$1 == n { print $2, $3, $4, $5 }' "$out/sizes-$dpi.txt")
    if [ -z "${w1:-}" ] || [ -z "${w2:-}" ]; then fail "the $name dialog did not open at $dpi dpi"; continue; fi
    low=$((10 + (dpi - 96) * 6 / 96)) high=$((dpi * 10 / 96 + 2)) # tenths
    if [ $((w2 * 10)) -ge $((w1 * low)) ] && [ $((w2 * 10)) -le $((w1 * high)) ] &&
       [ $((h2 * 10)) -ge $((h1 * low)) ] && [ $((h2 * 10)) -le $((h1 * high)) ]; then
      pass "the $name dialog grows with the scale: ${w1}x${h1} at 96 dpi, ${w2}x${h2} at $dpi dpi"
    else
      fail "the $name dialog does not follow the scale: ${w1}x${h1} at 96 dpi, ${w2}x${h2} at $dpi dpi"
    fi
    [ "$x2" -ge 0 ] && [ "$y2" -ge 0 ] && [ $((x2 + w2)) -le 1280 ] && [ $((y2 + h2)) -le 1024 ] ||
      fail "the $name dialog at $dpi dpi reaches off the screen: ${w2}x${h2}+${x2}+${y2}"
    unset w1 h1 w2 h2 x2 y2
  done
done

finish "windows scale check"
