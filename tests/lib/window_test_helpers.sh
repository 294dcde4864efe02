# Helpers of the scripts that play the game in a virtual X server with xdotool, like a player
# (tests/desktop/run_desktop_test.sh, tests/windows/smoke.sh). Source this file; the script sets `out` (the output
# directory for logs and screenshots) and reads `failures` at the end. start_game sets `pid`.

failures=0
pid=

# Runs the calling script again inside a virtual X server with a 1280x1024 screen, once. A random first display
# number keeps parallel servers from picking the same one.
#   run_in_virtual_display SCRIPT ARGUMENTS...
run_in_virtual_display() {
  [ -n "${DRAVOLINEX_IN_XVFB:-}" ] && return 0
  export DRAVOLINEX_IN_XVFB=1
  exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" bash "$@"
}

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
shot() { import -window root "$out/$1.png"; }

# Waits up to $2 seconds for a visible window whose name matches $1; prints its id.
wait_window() {
  local i id
  for i in $(seq 1 $(( $2 * 5 ))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  return 1
}

# Top row of the craft's pure red within the crop WIDTHxHEIGHT+X+Y of screenshot $1 (the playfield right of the
# instrument panel); empty when the craft is out of sight.
#   craft_top SHOT CROP
craft_top() {
  convert "$out/$1.png" -crop "$2" +repage -fill black +opaque '#FF0000' -trim info: 2>/dev/null |
    awk '{ split($4, g, "+"); if ($3 != "1x1") print g[3] }'
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
  local i
  for i in $(seq 1 $(( $1 * 10 ))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  ! kill -0 "$pid" 2>/dev/null
}

# File > Exit (Alt+F, then X) from the running game; the process must end by itself within $2 seconds (default 5)
# with code 0.
#   exit_by_menu LABEL [SECONDS]
exit_by_menu() {
  local main
  main=$(xdotool search --onlyvisible --name '^Dravolinex$' | head -1)
  [ -n "$main" ] && xdotool windowfocus "$main" 2>/dev/null
  xdotool key alt+f; sleep 0.5; xdotool key x
  if ! wait_game_end "${2:-5}"; then fail "$1: the game did not end after File > Exit"; kill "$pid"; wait "$pid"; return; fi
  wait "$pid"; local code=$?
  [ "$code" = 0 ] && pass "$1: File > Exit ends the game with code 0" || fail "$1: exit code $code"
}

# The last lines of a run: where the screenshots are and the verdict; true when nothing failed.
#   finish NAME
finish() {
  echo "screenshots in $out"
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
