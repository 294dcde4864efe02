#!/usr/bin/env bash
# Start-up of the desktop game in a virtual X server, against its floor: a bare GTK window with a menu bar and a
# drawing area that opens no GL (GDK_GL=disable), started the same way in the same run, the two taking turns. Prints
# each start's time from exec to the first frame shown, both medians and their ratio, and the game's resident memory
# once its first dialog (Game Feature Settings) is open. Marks OVER (exit status 1) a ratio above 1.25 or more than
# 50 MB resident.
#   measure_startup.sh GAME_EXECUTABLE BARE_WINDOW_EXECUTABLE [STARTS]
set -u
game=$(realpath "$1")
bare=$(realpath "$2")
starts=${3:-9}
if [ -z "${DRAVOLINEX_IN_XVFB:-}" ]; then
  export DRAVOLINEX_IN_XVFB=1
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24 -noreset" bash "$0" "$game" "$bare" "$starts"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" DRAVOLINEX_FIRST_FRAME_LOG="$work/first-frame"

# Starts $2... once; prints the milliseconds from exec to its first frame. With $1 = game, also waits for the first
# dialog and adds the resident kilobytes then.
start_once() {
  local kind=$1 start pid ms rss=
  shift
  rm -f "$work/first-frame"
  start=$EPOCHREALTIME # no fork between this moment and the exec
  ( exec "$@" > "$work/$kind.log" 2>&1 ) &
  pid=$!
  for _ in $(seq 1 200); do [ -s "$work/first-frame" ] && break; kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  if [ "$kind" = game ]; then
    for _ in $(seq 1 100); do
      xdotool search --onlyvisible --name "Game Feature Settings" > /dev/null 2>&1 &&
        rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status") && break
      sleep 0.05
    done
  fi
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  if [ ! -s "$work/first-frame" ]; then echo "$kind: no frame within 10 s" >&2; cat "$work/$kind.log" >&2; return 1; fi
  ms=$(awk -v s="${start/[.,]/}" '{ printf "%.1f", ($1 - s) / 1000 }' "$work/first-frame")
  echo "$ms $rss"
}

median() { sort -n | awk '{ t[NR] = $1 } END { printf "%.1f", NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'; }

game_times=() bare_times=() rss_values=()
for i in $(seq 1 "$starts"); do
  read -r bare_ms _ < <(GDK_GL=disable start_once bare "$bare") || exit 1
  read -r game_ms rss < <(start_once game "$game") || exit 1
  echo "start $i: game $game_ms ms (${rss:-?} kB resident at its first dialog), bare window $bare_ms ms"
  game_times+=("$game_ms") bare_times+=("$bare_ms") rss_values+=("${rss:-0}")
done
game_median=$(printf '%s\n' "${game_times[@]}" | median)
bare_median=$(printf '%s\n' "${bare_times[@]}" | median)
rss_median=$(printf '%s\n' "${rss_values[@]}" | median)
awk -v g="$game_median" -v b="$bare_median" -v r="$rss_median" -v n="$starts" 'BEGIN {
  ratio = g / b; over = 0
  printf "start-up to first frame over %d starts: game median %.1f ms, bare window median %.1f ms: %.2f x (target at most 1.25)%s\n",
         n, g, b, ratio, (ratio > 1.25 ? " OVER" : "")
  printf "resident at the first dialog: median %.1f MB (target at most 50)%s\n", r / 1024, (r > 50 * 1024 ? " OVER" : "")
  exit (ratio > 1.25 || r > 50 * 1024) }'
