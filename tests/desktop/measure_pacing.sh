#!/usr/bin/env bash
# Runs the desktop game for 30 s in a virtual X server with both cores kept busy and reports the simulation steps
# delivered per second (the game asks for 100) and the game's own CPU use. The game waits in its "Game Paused"
# dialog meanwhile: the step timer runs on inside the dialog's loop and the playfield is repainted 20 times a second,
# while no flight ends (which would stop the step timer until the next round).
#   measure_pacing.sh GAME_EXECUTABLE [SECONDS]
set -u
game=$(realpath "$1")
seconds=${2:-30}
if [ -z "${DRAVOLINEX_IN_XVFB:-}" ]; then
  export DRAVOLINEX_IN_XVFB=1
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" bash "$0" "$game" "$seconds"
fi

work=$(mktemp -d)
trap 'kill $busy1 $busy2 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" DRAVOLINEX_PACING_LOG="$work/pacing.log"
yes > /dev/null & busy1=$!
yes > /dev/null & busy2=$!

"$game" > "$work/game.log" 2>&1 &
pid=$!
# Waits up to 20 s for a visible window named $1.
wait_window() { for _ in $(seq 100); do xdotool search --onlyvisible --name "$1" > /dev/null 2>&1 && return; sleep 0.2; done; }
wait_window "Game Feature Settings"
xdotool key Return   # settings OK: the Game Paused dialog opens
wait_window "Game Paused"
sleep 1
ticks_per_second=$(getconf CLK_TCK)
cpu_start=$(awk '{ print $14 + $15 }' /proc/$pid/stat)
sleep "$seconds"
cpu_end=$(awk '{ print $14 + $15 }' /proc/$pid/stat)
kill $pid; wait $pid 2>/dev/null

# Whole seconds after the start-up second; the first logged second includes start-up.
awk -v cpu=$((cpu_end - cpu_start)) -v hz="$ticks_per_second" -v secs="$seconds" '
  /^pacing second/ { n++; if (n == 1) next; s = $5; sum += s; count++;
                     if (min == "" || s < min) min = s; if (s > max) max = s }
  END { if (count == 0) { print "no pacing lines"; exit 1 }
        printf "steps per second over %d s: average %.2f, lowest %d, highest %d\n", count, sum / count, min, max
        use = 100 * cpu / hz / secs
        printf "game CPU use with the dialog open: %.1f %% of one core (target at most 1.2)%s\n", use, (use > 1.2 ? " OVER" : "")
        exit use > 1.2 }' "$work/pacing.log"
