#!/usr/bin/env bash
# Plays the desktop game in a headless Wayland compositor (weston), natively or through its X server (XWayland):
# the game starts, its first dialog appears, a flight runs with frames presented, File > Exit saves, and nothing is
# printed on the terminal. The compositor has no input devices, so the game is driven by its test joystick (SIGUSR1
# presses OK or Continue) and SIGUSR2 (File > Exit), and watched through its test log.
#   run_wayland_test.sh native|xwayland GAME_EXECUTABLE OUTPUT_DIRECTORY
# Ends with 77 (skipped) when weston, or for the XWayland run Xwayland, is not installed.
set -u
mode=$1
command -v weston > /dev/null || { echo "weston is not installed: skipped"; exit 77; }
if [ "$mode" = xwayland ] && ! command -v Xwayland > /dev/null; then echo "Xwayland is not installed: skipped"; exit 77; fi
game=$(realpath "$2")
out=$(realpath -m "$3")

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

rm -rf "$out"; mkdir -p "$out"
export XDG_RUNTIME_DIR="$out/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
socket=dravolinex-$mode-$$
extra=(); [ "$mode" = xwayland ] && extra=(--xwayland)
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 "${extra[@]}" > "$out/weston.log" 2>&1 &
weston_pid=$!
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null
}
trap cleanup EXIT

for i in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || { fail "weston did not start"; cat "$out/weston.log"; exit 1; }
unset DISPLAY
export WAYLAND_DISPLAY=$socket
expected=wayland
if [ "$mode" = xwayland ]; then
  # weston starts its X server on the first X client; the display it listens on is in its log.
  for i in $(seq 50); do
    display=$(grep -o 'xserver listening on display :[0-9]*' "$out/weston.log" | grep -o ':[0-9]*$')
    [ -n "$display" ] && break; sleep 0.1
  done
  [ -n "$display" ] || { fail "weston offers no X server"; cat "$out/weston.log"; exit 1; }
  export DISPLAY=$display
  expected=x11
fi

export XDG_CONFIG_HOME="$out/config" DRAVOLINEX_TEST_LOG="$out/game.log" DRAVOLINEX_VIRTUAL_JOYSTICK=1
unset GDK_BACKEND
log=$out/game.log
# Waits up to $2 seconds for a line of the test log matching $1.
wait_line() {
  local i
  for i in $(seq $(( $2 * 10 ))); do grep -q "$1" "$log" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
frames() { grep '^frames ' "$log" 2>/dev/null | tail -1 | cut -d' ' -f2; }

"$game" > "$out/stdout.txt" 2> "$out/stderr.txt" &
pid=$!
wait_line "^window Game Feature Settings" 20 && pass "the game starts and opens Game Feature Settings" ||
  fail "no Game Feature Settings dialog"
grep -q "^window system $expected" "$log" && pass "it runs on $expected" || fail "not on $expected: $(head -1 "$log")"
sleep 0.5; kill -USR1 "$pid"
wait_line "^window Game Paused" 5 && pass "OK leads to Game Paused" || fail "no Game Paused dialog"
sleep 0.5; kill -USR1 "$pid"; sleep 1.2
before=$(frames); sleep 2; after=$(frames)
if [ -n "$before" ] && [ -n "$after" ] && [ $((after - before)) -ge 20 ]; then
  pass "the flight presents frames ($before, then $after two seconds later)"
else fail "no frames presented during the flight ($before, then $after)"; fi
kill -USR2 "$pid"
for i in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then fail "File > Exit did not end the game"
else
  wait "$pid"; code=$?; pid=
  [ "$code" = 0 ] && pass "File > Exit ends the game with code 0" || fail "exit code $code"
fi
settings=$XDG_CONFIG_HOME/dravolinex/settings
grep -qa options "$settings" 2>/dev/null && grep -qa wndsize "$settings" &&
  pass "the settings file holds the options and the window placement" || fail "nothing saved in $settings"
if [ -s "$out/stderr.txt" ] || [ -s "$out/stdout.txt" ]; then
  fail "the game printed on the terminal:"; cat "$out/stdout.txt" "$out/stderr.txt"
else pass "nothing printed on the terminal"; fi

echo "logs in $out"
[ "$failures" = 0 ] && echo "wayland test ($mode) passed" || echo "wayland test ($mode): $failures failures"
[ "$failures" = 0 ]
