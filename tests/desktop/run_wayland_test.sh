#!/usr/bin/env bash
# The desktop game in a headless Wayland compositor (weston), natively or through XWayland: it starts, opens its first
# dialog, flies presenting frames, saves on File > Exit and prints nothing. The compositor has no input devices: the
# test joystick (SIGUSR1) presses OK and Continue, SIGUSR2 chooses File > Exit, and the game's test log is watched.
#   run_wayland_test.sh native|xwayland GAME_EXECUTABLE OUTPUT_DIRECTORY   (77: weston or Xwayland not installed)
set -u
mode=$1
command -v weston > /dev/null && { [ "$mode" = native ] || command -v Xwayland > /dev/null; } ||
  { echo "weston or Xwayland is not installed: skipped"; exit 77; }
source "$(dirname "$(realpath "$0")")/../lib/window_test_helpers.sh"
game=$(realpath "$2")
out=$(realpath -m "$3")
rm -rf "$out"; mkdir -p "$out"
# A short private directory for the compositor's socket (socket paths are limited to about 100 characters).
export XDG_RUNTIME_DIR=$(mktemp -d) XDG_CONFIG_HOME="$out/config" DRAVOLINEX_TEST_LOG="$out/test.log"
export DRAVOLINEX_VIRTUAL_JOYSTICK=1 WAYLAND_DISPLAY=weston-$$
unset DISPLAY GDK_BACKEND
# weston's X server listens in /tmp/.X11-unix but does not make it; a fresh machine without any X server yet has none.
[ "$mode" = native ] || [ -d /tmp/.X11-unix ] || { mkdir -p /tmp/.X11-unix && chmod 1777 /tmp/.X11-unix; }
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 \
  $([ "$mode" = xwayland ] && echo --xwayland) > "$out/weston.log" 2>&1 &
trap "kill $! 2>/dev/null; sleep 0.2; rm -rf $XDG_RUNTIME_DIR" EXIT

# Waits up to $2 seconds for a line matching $1 in file $3 (the test log); prints the match.
wait_line() {
  local i
  for i in $(seq $(( $2 * 10 ))); do grep -o "$1" "${3:-$DRAVOLINEX_TEST_LOG}" 2>/dev/null | tail -1 | grep . && return 0
    sleep 0.1; done
  return 1
}
wait_line "" 5 "$out/weston.log" > /dev/null; sleep 0.5
if [ "$mode" = xwayland ]; then # weston's X server starts with the first X client, on the display in its log
  export DISPLAY=$(wait_line 'xserver listening on display :[0-9]*' 5 "$out/weston.log" | grep -o ':[0-9]*$')
fi
system=$([ "$mode" = xwayland ] && echo x11 || echo wayland)

start_game game "$game"
wait_line "^window Game Feature Settings" 20 > /dev/null && pass "the game opens Game Feature Settings" ||
  fail "no Game Feature Settings dialog"
wait_line "^window system $system" 1 > /dev/null && pass "it runs on $system" || fail "not on $system"
sleep 0.5; kill -USR1 "$pid"
wait_line "^window Game Paused" 5 > /dev/null && pass "OK leads to Game Paused" || fail "no Game Paused dialog"
sleep 0.5; kill -USR1 "$pid"; sleep 1.2
frames() { grep -o '^frames [0-9]*' "$DRAVOLINEX_TEST_LOG" | tail -1 | cut -d' ' -f2; }
before=$(frames); sleep 2; after=$(frames)
[ $(( ${after:-0} - ${before:-0} )) -ge 20 ] && pass "the flight presents frames ($before, then $after two seconds later)" ||
  fail "no frames presented in flight ($before, then $after)"
kill -USR2 "$pid"
if wait_game_end 5; then wait "$pid"; code=$?; [ "$code" = 0 ] && pass "File > Exit ends the game" || fail "exit code $code"
else fail "File > Exit did not end the game"; kill "$pid"; fi
grep -qa wndsize "$XDG_CONFIG_HOME/dravolinex/settings" && pass "the options and window placement are saved" ||
  fail "nothing saved"
[ -s "$out/game.log" ] && { fail "the game printed:"; cat "$out/game.log"; } || pass "nothing printed on the terminal"
finish "wayland test ($mode)"
