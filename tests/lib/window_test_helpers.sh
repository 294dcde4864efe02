# Helpers of the scripts that play the game in a virtual X server with xdotool, like a player
# (tests/desktop/run_desktop_test.sh, tests/windows/smoke.sh). Source this file; the script sets `out` (the output
# directory for logs and screenshots) and reads `failures` at the end. start_game sets `pid`.

failures=0
pid=

# Runs the calling script again inside a virtual X server with a 1280x1024 screen, once. A random first display
# number keeps parallel servers from picking the same one. The server keeps its own log (DRAVOLINEX_XVFB_LOG, shown
# by `finish` when something failed) and never resets: by default an X server resets when its last client leaves,
# and a game started at that moment may find the display closed ("cannot open display").
#   run_in_virtual_display SCRIPT ARGUMENTS...
run_in_virtual_display() {
  [ -n "${DRAVOLINEX_IN_XVFB:-}" ] && return 0
  export DRAVOLINEX_IN_XVFB=1 DRAVOLINEX_XVFB_LOG=$(mktemp /tmp/dravolinex-xvfb.XXXXXX)
  local code
  xvfb-run -a -n $((100 + RANDOM % 800)) -e "$DRAVOLINEX_XVFB_LOG" -s "-screen 0 1280x1024x24 -noreset" bash "$@"
  code=$?
  rm -f "$DRAVOLINEX_XVFB_LOG"
  exit $code
}

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
shot() { import -window root "$out/$1.png"; }

# True while the game started by start_game runs (and when none was started).
game_runs() { [ -z "$pid" ] || kill -0 "$pid" 2>/dev/null; }

# Waits up to $2 seconds (by the clock: a loaded machine answers slowly, and a count of tries would stretch) for a
# visible window whose name matches $1; prints its id. Gives up at once when the game has ended.
wait_window() {
  local id deadline=$((SECONDS + $2))
  while :; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    game_runs || { echo "the game ended while \"$1\" was awaited" >&2; return 1; }
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Waits up to $2 seconds for no visible window matching $1 to be left.
wait_no_window() {
  local deadline=$((SECONDS + $2))
  while xdotool search --onlyvisible --name "$1" > /dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Simulation steps the game has delivered in its whole seconds so far, by its own pacing log ($DRAVOLINEX_PACING_LOG,
# one line a second).
steps_so_far() { awk '/^pacing second/ { s += $5 } END { print s + 0 }' "$DRAVOLINEX_PACING_LOG" 2>/dev/null; }

# Waits until the game has delivered at least $1 more simulation steps, counted from the next whole second of its
# pacing log on (so that no step before the call is counted); false when the game ended or $2 seconds went by.
wait_steps() {
  local deadline=$((SECONDS + $2)) lines from
  lines=$(grep -c '^pacing second' "$DRAVOLINEX_PACING_LOG" 2>/dev/null)
  while [ "$(grep -c '^pacing second' "$DRAVOLINEX_PACING_LOG" 2>/dev/null)" -le "${lines:-0}" ]; do
    game_runs && [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
  from=$(steps_so_far)
  while [ "$(steps_so_far)" -lt $((from + $1)) ]; do
    game_runs && [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# Top row of the craft's pure red within the crop WIDTHxHEIGHT+X+Y of screenshot $1 (the playfield right of the
# instrument panel); empty when the craft is out of sight. Only red patches of 20 pixels or more count: the craft has
# them, a twinkling star (1 or 2) and the meteor (up to 16) do not.
#   craft_top SHOT CROP
craft_top() {
  convert "$out/$1.png" -crop "$2" +repage -fill black +opaque '#FF0000' -define connected-components:verbose=true \
    -connected-components 8 null: 2>/dev/null |
    awk '$NF == "srgb(255,0,0)" && $4 >= 20 { split($2, g, "+"); if (top == "" || g[3] < top) top = g[3] }
         END { if (top != "") print top }'
}

# Starts the game in the background with its output in $out/LOG.log.
#   start_game LOG COMMAND...
start_game() {
  local log=$1
  shift
  "$@" > "$out/$log.log" 2>&1 &
  pid=$!
}

# Waits up to $1 seconds for the game to end by itself; true when it has.
wait_game_end() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$pid" 2>/dev/null && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.1; done
  ! kill -0 "$pid" 2>/dev/null
}

# File > Exit (Alt+F, then X) from the running game; the process must end by itself within $2 seconds (default 5)
# with code 0. A loaded machine may take the X before the menu is open: then the menu is closed and chosen again.
#   exit_by_menu LABEL [SECONDS]
exit_by_menu() {
  local main try
  for try in 1 2 3; do
    main=$(xdotool search --onlyvisible --name '^Dravolinex$' 2>/dev/null | head -1)
    [ -n "$main" ] && xdotool windowfocus "$main" 2>/dev/null
    xdotool key alt+f; sleep 0.5; xdotool key x
    wait_game_end "${2:-5}" && break
    xdotool key Escape Escape
  done
  if kill -0 "$pid" 2>/dev/null; then fail "$1: the game did not end after File > Exit"; kill "$pid"; wait "$pid"; return; fi
  wait "$pid"; local code=$?
  [ "$code" = 0 ] && pass "$1: File > Exit ends the game with code 0" || fail "$1: exit code $code"
}

# The last lines of a run: where the screenshots are and the verdict; true when nothing failed. After a failure the
# logs of the game's starts and of the virtual X server follow.
#   finish NAME
finish() {
  echo "screenshots in $out"
  if [ "$failures" != 0 ]; then
    local log
    for log in "$out"/*.log ${DRAVOLINEX_XVFB_LOG:-}; do
      [ -s "$log" ] && { echo "---- $log"; tail -n 20 "$log"; }
    done
  fi
  [ "$failures" = 0 ] && echo "$1 passed" || echo "$1: $failures failures"
  [ "$failures" = 0 ]
}

# Makes (once) and readies the Wine prefix $out/prefix for the Windows game: no .NET or HTML installers, no
# messages, and Wine leaving windows unmanaged (without a window manager every modal close would otherwise stall
# the game for seconds). Extra WINEDLLOVERRIDES entries come as $1.
#   wine_prefix_ready [EXTRA_OVERRIDES]
wine_prefix_ready() {
  export WINEPREFIX="$out/prefix" WINEDLLOVERRIDES="mscoree,mshtml=${1:+,$1}" WINEDEBUG=-all
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "making a Wine prefix in $WINEPREFIX"
    wineboot --init > "$out/wineboot.log" 2>&1
    wineserver -w # the new prefix is complete once its server has ended
  fi
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f > /dev/null 2>&1
}
