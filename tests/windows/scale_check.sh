#!/usr/bin/env bash
# Opens every dialog of the Windows game under Wine at 100, 125, 150 and 200 % display scale (LogPixels 96, 120,
# 144, 192), as a player on a laptop display would: the dialogs must grow with the scale (their font does), so
# nothing is clipped and the text is drawn at the display's own resolution instead of being stretched, and they must
# stay on the screen even when larger than the game's window. The playfield is laid out in logical pixels: at 200 %
# every game pixel is a sharp 2 x 2 block, and a window stored at 100 % opens at twice the size in device pixels and
# is stored back unchanged. Screenshots of each (the flight too) land in the output directory for a look.
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

# The stored window rectangle as hex: left, top, right, bottom (32-bit little-endian each).
wndsize() { wine reg query 'HKCU\Software\Orv\Dravolinex' /v wndsize 2>/dev/null | tr -d '\r' |
            awk '$2 == "REG_BINARY" { print $3 }'; }

# The dialogs' sizes at one scale, as "name width height" lines in $out/sizes-DPI.txt; with a second argument the
# game starts with that stored window rectangle (hex).
measure() {
  local dpi=$1 w settings="" main
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null 2>&1
  wine reg delete 'HKCU\Software\Orv' /f > /dev/null 2>&1
  [ -n "${2:-}" ] && wine reg add 'HKCU\Software\Orv\Dravolinex' /v wndsize /t REG_BINARY /d "$2" /f > /dev/null 2>&1
  wineserver -w # the scale is read when the Wine server starts
  : > "$out/sizes-$dpi.txt"
  start_game "game-$dpi" wine "$exe"
  main=$(wait_window '^Dravolinex$' 30) || fail "$dpi dpi: no main window"
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
    xdotool key Return
  fi
  # The question first: it halts the flight, which on a small playfield would otherwise end in a verdict by now.
  xdotool key n
  if w=$(wait_window '^New Game$' 5); then
    sleep 0.5; shot "$dpi-5-new-game"; echo "question $(size "$w")" >> "$out/sizes-$dpi.txt"
    xdotool key n
  fi
  xdotool key alt+slash
  if w=$(wait_window '^About$' 5); then
    sleep 0.5; shot "$dpi-4-about"; echo "about $(size "$w")" >> "$out/sizes-$dpi.txt"
    xdotool key Return; sleep 0.5
  fi
  shot "$dpi-6-flight" # the flight, or its verdict in the top-right corner
  [ -n "$main" ] && echo "main $(size "$main")" >> "$out/sizes-$dpi.txt"
  exit_by_menu "$dpi dpi" 10
}

# 20, 30, 580, 470: a 560 x 440 window stored at 100 %.
stored="14000000 1E000000 44020000 D6010000"
measure 96
measure 120
measure 144
measure 192 "${stored// /}"
after=$(wndsize)
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f > /dev/null 2>&1
wineserver -w

# The window stored at 100 % opens at 200 % with twice the size on the screen, and goes back unchanged.
read -r mw mh mx my < <(awk '$1 == "main" { print $2, $3, $4, $5 }' "$out/sizes-192.txt")
[ "${mw:-0}x${mh:-0}+${mx:-}+${my:-}" = "1120x880+20+30" ] &&
  pass "a window stored at 100 % opens at 200 % as 1120x880+20+30" ||
  fail "a window stored at 100 % as 560x440+20+30 opens at 200 % as ${mw:-?}x${mh:-?}+${mx:-?}+${my:-?}"
[ "$after" = "${stored// /}" ] && pass "the stored window rectangle survives the 200 % run" ||
  fail "the stored window rectangle became $after at 200 % (was ${stored// /})"
# At 200 % every game pixel is a 2 x 2 block: the lower left of the client area (clear of the verdict) equals itself
# sampled down to one pixel per block and up again, for one of the four ways the blocks can line up with the shot.
blocks=no
for offset in +0+0 +1+0 +0+1 +1+1; do
  diff=$(convert "$out/192-6-flight.png" -crop "$((mw * 3 / 10))x$((mh / 2 - 20))+$((mx + 10))+$((my + mh / 2))" +repage \
           -crop "$((mw * 3 / 10 - 4))x$((mh / 2 - 24))$offset" +repage \( +clone -sample 50% -sample 200% \) \
           -metric AE -compare -format '%[distortion]' info: 2>/dev/null)
  [ "$diff" = 0 ] && blocks=yes
done
[ "$blocks" = yes ] && pass "at 200 % every game pixel is a sharp 2 x 2 block" ||
  fail "at 200 % the playfield is not drawn in sharp 2 x 2 blocks (see $out/192-6-flight.png)"

# Each dialog grows by at least 60 % of the scale's step and at most a fifth more than the scale (text metrics and
# the message box's own layout do not scale exactly), and lies wholly on the 1280x1024 screen.
for dpi in 120 144 192; do
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
