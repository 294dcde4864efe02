#!/usr/bin/env bash
# Plays the real desktop game in a virtual X server with xdotool, like a player: the settings dialog at start, the
# pause, a flight with the engine held, the verdict, the next round, Exit from the menu, a changed option that survives
# a restart (pressing OK and Continue there with the test joystick), and the close boxes. Screenshots land in the
# output directory for inspection. With a window manager named (openbox, xfwm4), the game runs under it for the
# flight, where the verdict's outer right edge, frame included, must meet the playfield's right edge, and for ten
# restarts, which must all open the window with the same outer and inner rectangle; the rounds that do not depend on
# a window manager run only without one. Behaviour is judged by the game's own step count (its pacing log), never by
# how much wall-clock time went by, so that a loaded machine passes too; every wait ends early when the game has gone.
#   run_desktop_test.sh GAME_EXECUTABLE OUTPUT_DIRECTORY [SEND_CLOSE_HELPER [WINDOW_MANAGER]]
set -u
source "$(dirname "$(realpath "$0")")/../lib/window_test_helpers.sh"
game=$(realpath "$1")
out=$(realpath -m "${2:-desktop-test}")
send_close=${3:-}
wm=${4:-}
if [ -n "$wm" ] && ! command -v "$wm" > /dev/null; then echo "$wm is not installed: skipped"; exit 77; fi

mkdir -p "$out"
run_in_virtual_display "$0" "$game" "$out" "$send_close" "$wm"

rm -rf "$out"/*.png "$out/config" "$out"/*.log "$out/audio.raw"
export XDG_CONFIG_HOME="$out/config" DRAVOLINEX_PACING_LOG="$out/pacing.log" DRAVOLINEX_TEST_LOG="$out/test.log"
# Ends the run at once with the logs, when what follows cannot be tested.
give_up() { fail "$1"; kill "$pid" 2>/dev/null; finish "desktop test"; exit 1; }
# Screen position "X Y" of window $1's inside (without a window manager's frame).
origin() { xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }'; }

# The 60-byte options record in the settings file, as fifteen numbers.
stored_options() {
  local file="$XDG_CONFIG_HOME/dravolinex/settings" at
  [ -f "$file" ] || return 1
  at=$(grep -obUa options "$file" | head -1 | cut -d: -f1)
  [ -n "$at" ] || return 1
  od -An -tu4 -v -j $((at + 7 + 8)) -N 60 "$file" | tr -s ' \n' ' '
}

# Right edge on the screen of window $1's outer rectangle: the window plus the frame the window manager reports.
outer_right() {
  local frame
  frame=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '=.*' | tr -d '= ' | cut -d, -f2)
  xwininfo -id "$1" | awk -v f="${frame:-0}" '/Absolute upper-left X/ { x = $NF } /Width:/ { w = $2 }
    END { print x + w + f }'
}

if [ -n "$wm" ]; then
  # xfwm4 reads its settings over a session bus.
  $([ "$wm" = xfwm4 ] && echo "dbus-run-session --") "$wm" > "$out/wm.log" 2>&1 &
  wm_pid=$!
  trap 'kill $wm_pid 2>/dev/null' EXIT
  for i in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
  xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' && pass "$wm manages the windows" || fail "$wm did not start"
fi

# ---- round one: flight with the engine, verdict, next round, exit (with the sound written to a file) ----
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/audio.raw"
start_game round1 "$game"
wait_window "Game Feature Settings" 30 > /dev/null || give_up "no Game Feature Settings dialog at start"
pass "the Game Feature Settings dialog opens at start"
sleep 0.5; shot 01-game-settings
xdotool key Return
if wait_window "Game Paused" 10 > /dev/null; then pass "OK leads to Game Paused"; else fail "no Game Paused dialog"; fi
sleep 0.3; shot 02-paused
audio_mark=$(stat -c %s "$out/audio.raw" 2>/dev/null || echo 0)
xdotool key Return
main=$(wait_window '^Dravolinex$' 10) || give_up "no main window"
wait_no_window "Game Paused" 10
# The engine goes on at once: on a loaded machine a screenshot takes long enough for the craft to fall too fast to
# turn back. It stays on for at least 100 steps by the game's own count after the first picture, however long that
# takes. A craft already out of sight in the first picture has climbed out of the view it started in.
xdotool windowfocus "$main" 2>/dev/null; xdotool keydown space
read -r mx my < <(origin "$main")
playfield=700x600+$((mx + 90))+$my # the area right of the instrument panel, where the craft is looked for
shot 03-engine-on
before=$(craft_top 03-engine-on $playfield)
wait_steps 100 60 || fail "the game delivered no 100 simulation steps (pacing log: $(tail -1 "$out/pacing.log"))"
shot 04-engine-held
xdotool keyup space
after=$(craft_top 04-engine-held $playfield)
sound_end=$(stat -c %s "$out/audio.raw" 2>/dev/null || echo 0)
echo "craft top as the engine went on ${before:-out of sight above}, 100 steps later ${after:-out of sight above}"
if [ -z "$before$after" ] || { [ -n "$before" ] && { [ -z "$after" ] || [ "$after" -lt "$before" ]; }; }; then
  pass "holding Space makes the craft climb"
else fail "the craft did not climb while Space was held"; fi
engine=$(tail -c +$((audio_mark + 1)) "$out/audio.raw" 2>/dev/null | head -c $((sound_end - audio_mark)) |
         od -An -tx1 -v | tr -s ' \n' '\n' | grep -cv '^80$\|^$')
[ "${engine:-0}" -gt 100 ] && pass "engine sound written while Space is held ($engine samples)" ||
  fail "no engine sound samples while Space was held"

# A bound for a stuck game, not a test of speed: the flight ends by itself when the craft comes down.
xprop -id "$main" _NET_WM_ICON | grep -q 'Icon (32 x 32)' &&
  pass "the main window carries the program icon" || fail "the main window has no program icon"
result=$(wait_window "Successful Landing|Unsuccessful Landing Attempt" 120)
if [ -n "$result" ]; then pass "the flight ends with the verdict \"$(xdotool getwindowname "$result")\""
else fail "no landing result dialog"; fi
sleep 0.5; shot 05-result
if [ -n "$wm" ] && [ -n "$result" ]; then
  dialog_right=$(outer_right "$result")
  playfield_right=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ { x = $NF } /Width:/ { w = $2 } END { print x + w }')
  [ "$dialog_right" = "$playfield_right" ] &&
    pass "the verdict's outer right edge meets the playfield's right edge ($dialog_right)" ||
    fail "the verdict's outer right edge is at $dialog_right, the playfield's at $playfield_right"
fi
xdotool key Escape
if wait_window "Game Feature Settings" 10 > /dev/null; then pass "Escape on the verdict starts the next round"
else fail "no Game Feature Settings dialog after the verdict"; fi
sleep 0.5; shot 06-next-round
xdotool key Escape; wait_window "Game Paused" 5 > /dev/null; xdotool key Return; sleep 0.3
exit_by_menu round1
first=$(stored_options) && pass "the settings file holds the options: $first" || fail "no options in the settings file"
unset SDL_AUDIODRIVER SDL_DISKAUDIOFILE

if [ -n "$wm" ]; then
  # ---- ten restarts: the stored outer rectangle gives the same window every time, frame and all ----
  geometry() { # the window's inside "WIDTHxHEIGHT+X+Y" and its frame extents
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $2 }
      /Height:/ { h = $2 } END { printf "%dx%d+%d+%d ", w, h, x, y }'
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '=.*' | tr -d '= '
  }
  export SDL_AUDIODRIVER=dummy
  rects=()
  for i in $(seq 10); do
    start_game restart$i "$game"
    wait_window "Game Feature Settings" 30 > /dev/null || give_up "restart $i: no Game Feature Settings dialog"
    rects+=("$(geometry "$(wait_window '^Dravolinex$' 5)")")
    exit_by_menu "restart $i" > /dev/null
  done
  printf 'restart %s\n' "${rects[@]}" | nl | awk '{ $1 = $1 } 1'
  [ "$(printf '%s\n' "${rects[@]}" | sort -u | wc -l)" = 1 ] &&
    pass "ten restarts open the same window: ${rects[0]}" || fail "the window changed over ten restarts"
  finish "desktop test under $wm"
  exit
fi

# ---- round two: change the craft (Tab to the Game Type slider, End), OK, exit ----
start_game round2 "$game"
dialog=$(wait_window "Game Feature Settings" 30) || give_up "round two: no Game Feature Settings dialog"
sleep 0.5
read -r dx dy < <(origin "$dialog")
slider=160x40+$((dx + 163))+$((dy + 45)) # around the Game Type slider
xdotool key Tab; sleep 0.2; xdotool key End; sleep 0.5; shot 07-craft-changed
xdotool key Return
wait_window "Game Paused" 10 > /dev/null || fail "round two: no Game Paused dialog"
xdotool key Return; wait_no_window "Game Paused" 10
exit_by_menu round2
second=$(stored_options)
game_type=$(echo "$second" | awk '{ print $3 }')
[ "$game_type" = 1 ] && pass "the changed craft is saved (game type 1)" || fail "game type saved as '$game_type': $second"

# ---- round three: the change is read back; the test joystick's button presses OK and Continue ----
export DRAVOLINEX_VIRTUAL_JOYSTICK=1
start_game round3 "$game"
wait_window "Game Feature Settings" 30 > /dev/null || give_up "round three: no Game Feature Settings dialog"
sleep 0.5; shot 08-restarted
kill -USR1 "$pid" # the test joystick's button
if wait_window "Game Paused" 10 > /dev/null; then pass "a joystick button presses OK"
else fail "the joystick button did not press OK"; fi
kill -USR1 "$pid"
wait_no_window "Game Paused" 10 && pass "a joystick button presses Continue" ||
  fail "the joystick button did not press Continue"
unset DRAVOLINEX_VIRTUAL_JOYSTICK
# The New Game question takes the keyboard: Escape leaves it open, Enter answers Yes (a new game's settings open).
xdotool key n
if wait_window "^New Game$" 10 > /dev/null; then
  sleep 0.3; shot 08b-new-game; xdotool key Escape; sleep 0.3
  [ -n "$(xdotool search --onlyvisible --name '^New Game$' 2>/dev/null)" ] || fail "Escape answered the New Game question"
  xdotool key Return
  wait_window "Game Feature Settings" 10 > /dev/null && pass "Enter answers Yes to the New Game question" ||
    fail "Enter did not answer Yes to the New Game question"
  xdotool key Escape; wait_window "Game Paused" 10 > /dev/null; xdotool key Return; wait_no_window "Game Paused" 10
else fail "N did not ask the New Game question"; fi
exit_by_menu round3
third=$(stored_options)
[ "$(echo "$third" | awk '{ print $3 }')" = 1 ] && pass "the restarted game keeps the changed craft" ||
  fail "the restarted game lost the change: $third"

# ---- round four: close boxes (a dialog's is Cancel; the main window's ends the game without saving) ----
if [ -n "$send_close" ]; then
  start_game round4 "$game"
  dialog=$(wait_window "Game Feature Settings" 30) || give_up "round four: no Game Feature Settings dialog"
  "$send_close" "$dialog"
  if wait_window "Game Paused" 10 > /dev/null; then pass "the close box of the settings dialog acts as Cancel"
  else fail "the settings dialog's close box did nothing"; fi
  xdotool key Return; wait_no_window "Game Paused" 10
  xdotool key alt+s; sleep 0.3; xdotool key g   # Settings > Game Settings...
  dialog=$(wait_window "Game Feature Settings" 10) || give_up "round four: the menu did not open the settings"
  sleep 0.3
  xdotool key Tab; sleep 0.2; xdotool key Home; sleep 0.5   # the rocket again, in memory only
  shot 09-rocket-in-memory
  read -r dx dy < <(origin "$dialog")
  # The Game Type slider (same dialog as in round two) must have moved.
  convert "$out/07-craft-changed.png" -crop "$slider" +repage "$out/crop-before.png"
  convert "$out/09-rocket-in-memory.png" -crop 160x40+$((dx + 163))+$((dy + 45)) +repage "$out/crop-after.png"
  moved=$(compare -metric AE "$out/crop-before.png" "$out/crop-after.png" null: 2>&1)
  [ "${moved%%.*}" -gt 50 ] 2>/dev/null && pass "the craft slider moved back to the rocket ($moved pixels changed)" ||
    fail "the craft slider did not move (${moved} pixels changed)"
  xdotool key Escape; wait_window "Game Paused" 10 > /dev/null; xdotool key Return; wait_no_window "Game Paused" 10
  "$send_close" "$(xdotool search --onlyvisible --name '^Dravolinex$' 2>/dev/null | head -1)"
  if ! wait_game_end 10; then fail "the main window's close box did not end the game"; kill "$pid"
  else pass "the main window's close box ends the game"; fi
  wait "$pid"
  [ "$(stored_options | awk '{ print $3 }')" = 1 ] && pass "closing the window saves nothing" ||
    fail "closing the window saved the options: $(stored_options)"
fi

finish "desktop test"
