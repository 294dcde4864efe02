#!/usr/bin/env bash
# Start-up time of the desktop game in a virtual X server: from exec to the first game frame shown (with the
# Game Feature Settings dialog opening over it), over several starts; prints each and the median.
#   measure_startup.sh GAME_EXECUTABLE [STARTS]
set -u
game=$(realpath "$1")
starts=${2:-9}
if [ -z "${DRAVOLINEX_IN_XVFB:-}" ]; then
  export DRAVOLINEX_IN_XVFB=1
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" bash "$0" "$game" "$starts"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" DRAVOLINEX_FIRST_FRAME_LOG="$work/first-frame"
times=()
for i in $(seq 1 "$starts"); do
  rm -f "$work/first-frame"
  start=$EPOCHREALTIME   # no fork between this moment and the exec
  ( exec "$game" > "$work/game.log" 2>&1 ) &
  pid=$!
  for _ in $(seq 1 100); do [ -s "$work/first-frame" ] && break; sleep 0.1; done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  if [ ! -s "$work/first-frame" ]; then echo "start $i: no frame within 10 s"; cat "$work/game.log"; exit 1; fi
  ms=$(awk -v s="${start/[.,]/}" '{ printf "%.1f", ($1 - s) / 1000 }' "$work/first-frame")
  echo "start $i: $ms ms"
  times+=("$ms")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 } END { printf "start-up to first frame: median %.1f ms over %d starts\n", t[int((NR + 1) / 2)], NR }'
