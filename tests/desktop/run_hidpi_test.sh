#!/usr/bin/env bash
# The desktop game at GDK_SCALE=2 in a virtual X server: the main window and dialogs are exactly twice their size at
# scale 1, and the playfield's pixels are sharp 2 x 2 blocks. Screenshots land in the output directory.
#   run_hidpi_test.sh GAME_EXECUTABLE OUTPUT_DIRECTORY
set -u
[ -n "${DRAVOLINEX_IN_XVFB:-}" ] ||
  DRAVOLINEX_IN_XVFB=1 exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 2560x2048x24 -noreset" bash "$0" "$@"
source "$(dirname "$(realpath "$0")")/../lib/window_test_helpers.sh"
game=$(realpath "$1")
out=$(realpath -m "$2")
rm -rf "$out"; mkdir -p "$out"
export XDG_CONFIG_HOME="$out/config" SDL_AUDIODRIVER=dummy
size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }

# Sizes "main settings paused" at scale $1, the screenshot of the paused game in scale$1.png.
measure() {
  GDK_SCALE=$1 start_game "scale$1" "$game"
  local sizes window
  window=$(wait_window "Game Feature Settings" 15) && sleep 0.5 && sizes=$(size_of "$window") && xdotool key Return &&
    window=$(wait_window "Game Paused" 5) && sleep 0.5 && shot "scale$1" &&
    echo "$(size_of "$(wait_window '^Dravolinex$' 1)") $sizes $(size_of "$window")"
  xdotool key Return
  exit_by_menu "scale $1" > /dev/null
}
one=($(measure 1)) two=($(measure 2))
for i in 0 1 2; do
  a=${one[i]:-1x1} b=${two[i]:-none}
  [ "$b" = "$((${a%x*} * 2))x$((${a#*x} * 2))" ]  && pass "twice the size at scale 2: $a, $b" ||
    fail "window $i at scale 2 is $b, at scale 1 $a"
done

# Around the craft (pure red) every pixel belongs to a uniform 2 x 2 block; the window sits at the screen's origin,
# so blocks start at even coordinates.
read -r x y < <(convert "$out/scale2.png" -fill black +opaque '#FF0000' -trim info: | awk '{ split($4, g, "+");
  print (g[2] > 20 ? g[2] - 20 : 0) - g[2] % 2, (g[3] > 20 ? g[3] - 20 : 0) - g[3] % 2 }')
convert "$out/scale2.png" -crop "128x128+${x:-0}+${y:-0}" +repage "$out/craft.png"
convert "$out/craft.png" -sample 50% -sample 200% "$out/blocks.png"
off=$(compare -metric AE "$out/craft.png" "$out/blocks.png" null: 2>&1)
[ "$off" = 0 ] && [ "$(convert "$out/craft.png" -format %k info:)" -gt 2 ] && pass "the craft is drawn in sharp blocks" ||
  fail "the craft at scale 2 is smoothed ($off pixels off the 2 x 2 blocks)"
finish "HiDPI test"
