#!/usr/bin/env bash
# The desktop game on a screen scaled by two (GDK_SCALE=2) in a virtual X server: the main window and the dialogs
# come out exactly twice their size at scale 1 and whole on the screen, and the playfield's pixels are presented as
# sharp 2 x 2 blocks (no smoothing). Screenshots land in the output directory.
#   run_hidpi_test.sh GAME_EXECUTABLE OUTPUT_DIRECTORY
set -u
if [ -z "${DRAVOLINEX_IN_XVFB:-}" ]; then
  export DRAVOLINEX_IN_XVFB=1
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 2560x2048x24" bash "$0" "$@"
fi
source "$(dirname "$(realpath "$0")")/../lib/window_test_helpers.sh"
game=$(realpath "$1")
out=$(realpath -m "$2")
mkdir -p "$out"
rm -rf "$out"/*.png "$out"/*.log "$out/config"
export XDG_CONFIG_HOME="$out/config" SDL_AUDIODRIVER=dummy

size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
on_screen() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { exit !(x >= 0 && y >= 0 && x + w <= 2560 && y + h <= 2048) }'
}

# Sizes of the main window, the settings dialog and the pause dialog at scale $1; screenshots NAME-*.png.
measure() {
  local scale=$1 main dialog
  GDK_SCALE=$scale start_game "scale$scale" "$game"
  dialog=$(wait_window "Game Feature Settings" 15) || { fail "scale $scale: no Game Feature Settings dialog"; return; }
  sleep 0.5; shot "scale$scale-settings"
  settings[$scale]=$(size_of "$dialog")
  on_screen "$dialog" || fail "scale $scale: the settings dialog reaches off the screen"
  xdotool key Return
  dialog=$(wait_window "Game Paused" 5) || { fail "scale $scale: no Game Paused dialog"; return; }
  sleep 0.5; shot "scale$scale-paused"
  paused[$scale]=$(size_of "$dialog")
  main=$(wait_window '^Dravolinex$' 5)
  window[$scale]=$(size_of "$main")
  xdotool key Return
  exit_by_menu "scale $scale"
}

declare -A settings paused window
measure 1
measure 2
for what in window settings paused; do
  declare -n sizes=$what
  one=${sizes[1]:-0x0}; two=${sizes[2]:-0x0}
  if [ "$two" = "$((${one%x*} * 2))x$((${one#*x} * 2))" ] && [ "$one" != 0x0 ]; then
    pass "the $what is twice the size at scale 2 ($one, then $two)"
  else fail "the $what at scale 2 is $two, at scale 1 $one"; fi
done

# The craft (pure red) on the playfield at scale 2: every pixel of the area around it belongs to a uniform 2 x 2
# block aligned with the playfield (the window sits at the screen's origin, so blocks start at even coordinates).
read -r x y < <(convert "$out/scale2-paused.png" -crop 2560x1400+0+0 +repage -fill black +opaque '#FF0000' -trim \
  info: | awk '{ split($4, g, "+"); print g[2], g[3] }')
if [ -z "${x:-}" ]; then fail "no craft found on the playfield at scale 2"
else
  x=$(( (x - 20) / 2 * 2 )); y=$(( (y - 20) / 2 * 2 )); [ "$x" -lt 0 ] && x=0; [ "$y" -lt 0 ] && y=0
  convert "$out/scale2-paused.png" -crop 128x128+$x+$y +repage "$out/craft.png"
  convert "$out/craft.png" -sample 50% -sample 200% "$out/craft-blocks.png"
  differ=$(compare -metric AE "$out/craft.png" "$out/craft-blocks.png" null: 2>&1)
  colours=$(convert "$out/craft.png" -format %k info:)
  if [ "${differ%%.*}" = 0 ] && [ "$colours" -gt 2 ]; then
    pass "the craft is drawn in sharp 2 x 2 blocks ($colours colours, none smoothed)"
  else fail "the craft at scale 2 is smoothed ($differ pixels off the 2 x 2 blocks)"; fi
fi
finish "HiDPI test"
