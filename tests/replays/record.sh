#!/usr/bin/env bash
# Records the golden replays by playing the real games in a virtual X server: the GTK game (build-test) and the
# Windows game under Wine (build-win), each flight played by tests/replays/pilot.py or by xdotool keys, the options
# chosen in the settings store before the start (or in the settings dialog). Every kept replay is copied here under a
# name saying backend, planet, craft and outcome. Not part of CI: it takes a few minutes and plays in real time.
#   tests/replays/record.sh [gtk|win32|all] [FLIGHT...]
set -u
here=$(dirname "$(realpath "$0")")
root=$(realpath "$here/../..")
out=$root/build-test/record
mkdir -p "$out"
source "$root/tests/lib/window_test_helpers.sh"
run_in_virtual_display "$0" "$@"
# The game and its player run in real time at normal priority: builds beside them belong under nice -n 19.
which=${1:-all}
shift || true
wanted=" $* "

gtk=${GTK_GAME:-$root/build-test/platform/gtk/dravolinex}
exe=${WIN32_GAME:-$root/build-win/platform/win32/dravolinex.exe}
hooked_exe=${WIN32_HOOKED_GAME:-$root/build-win/platform/win32/test-hooks/dravolinex.exe}
outcomes=(none landed crashed edge-tip speed-tip roll-tip)
planets=(moon mars earth jupiter)
crafts=(rocket legged)

# The 60-byte options record: player device craft difficulty roughness platform fuel wind planet visibility, the
# rest 0 (the playfield takes the window's client size).
options_hex() {
  python3 -c 'import struct,sys; print(struct.pack("<15i", *map(int, sys.argv[1:]), *[0] * (15 - len(sys.argv[1:]))).hex())' "$@"
}

# The GTK game's settings file holding that record.
seed_gtk_settings() {
  mkdir -p "$out/config/dravolinex"
  python3 - "$out/config/dravolinex/settings" "$(options_hex "$@")" <<'EOF'
import struct, sys, zlib
path, name, record = b"Software\\Orv\\Dravolinex", b"options", bytes.fromhex(sys.argv[2])
body = b"DRVXSETT" + struct.pack("<II", 1, 1) + struct.pack("<I", len(path)) + path + struct.pack("<I", 1)
body += struct.pack("<I", len(name)) + name + struct.pack("<II", 3, len(record)) + record
open(sys.argv[1], "wb").write(body + struct.pack("<I", zlib.crc32(body)))
EOF
}

seed_win32_settings() {
  wine reg add 'HKCU\Software\Orv\Dravolinex' /v options /t REG_BINARY /d "$(options_hex "$@")" /f > /dev/null 2>&1
}

# The first verdict window's id, waiting up to $1 seconds.
wait_verdict() { wait_window 'Successful Landing|Unsuccessful Landing Attempt' "$1"; }

# Keeps the newest replay of the folder $1 as tests/replays/BACKEND_PLANET_CRAFT_OUTCOME[_NOTE].dvreplay and says
# what it holds (the recording's length counted from its repaint expiries).
keep() {
  local folder=$1 backend=$2 note=$3 file name
  file=$(ls -t "$folder"/*.dvreplay 2> /dev/null | head -1)
  if [ -z "$file" ]; then fail "$backend $note: no replay kept"; return; fi
  read -r planet craft outcome score steps events bytes seconds < <(python3 "$here/replay_facts.py" "$file")
  name="${backend}_${planets[$planet]}_${crafts[$craft]}_${outcomes[$outcome]}_${note#w-}.dvreplay"
  cp "$file" "$here/$name"
  pass "$name: score $score, flight $((steps / 100)).$((steps % 100 / 10)) s, recording ${seconds%.*} s, $bytes bytes, $events events"
  rm -f "$folder"/*.dvreplay
}

# Plays one flight in the running game: the start dialogs answered, then the pilot's MODE (none: the keys left
# alone), until the verdict. EXTRA: pause (P, the Game Paused dialog read for a while mid-flight) or settings (View
# and Control Settings opened mid-flight and cancelled). The player pilot.py follows the craft through the game's
# flight log (a test hook of the GTK game and of the Windows game built with the hooks).
#   fly MODE PLANET CRAFT EXTRA
fly() {
  local mode=$1 planet=$2 craft=$3 extra=$4 tries code pilot
  for tries in $(seq 1 40); do
    rm -f "$out/go"
    if [[ ! "$mode" =~ ^(none|burn|burn-dialogs|tilt|stick)$ ]]; then
      PILOT_GO="$out/go" PILOT_FLIGHT_LOG="$out/flight.log" python3 "$here/pilot.py" "$mode" "$planet" "$craft" 300 \
        >> "$out/pilot.log" 2>&1 &
      pilot=$!
    fi
    wait_window "Game Feature Settings" 60 > /dev/null || { fail "no settings dialog"; return 1; }
    sleep 0.5; xdotool key Escape
    wait_window "Game Paused" 30 > /dev/null || { fail "no Game Paused dialog"; return 1; }
    sleep 3; xdotool key Return; touch "$out/go"
    if [ "$extra" = pause ] || [ "$extra" = settings ]; then
      sleep 1.5
      if [ "$extra" = pause ]; then xdotool key p; wait_window "Game Paused" 10 > /dev/null
      else xdotool key alt+s; sleep 1; xdotool key Down Return; wait_window "View & Controls Settings" 10 > /dev/null; fi
      sleep "${READ_SECONDS:-3}"; shot "mid-flight-$extra"
      xdotool key $([ "$extra" = pause ] && echo Return || echo Escape); sleep 1
      # A settings dialog closed leads to Game Paused.
      wait_window "Game Paused" 3 > /dev/null && { xdotool key Return; sleep 0.3; }
    fi
    case "$mode" in burn | burn-dialogs | tilt | stick) ${mode/-/_} ;; esac
    case "$mode" in none | burn | burn-dialogs | tilt | stick) break ;; esac
    while kill -0 $pilot 2> /dev/null && ! xdotool search --onlyvisible --name 'Successful Landing|Unsuccessful' > /dev/null 2>&1; do
      sleep 0.3
    done
    kill $pilot 2> /dev/null; wait $pilot; code=$?
    [ "$code" = 3 ] || break
    # Not where the flight needs it: a new game (Yes), the dialogs again.
    echo "new game: the craft does not start where the flight needs it"
    xdotool key n; wait_window '^New Game$' 10 > /dev/null; sleep 0.5; xdotool key Return
  done
  if ! wait_verdict 600 > /dev/null; then fail "$mode: no verdict"; return 1; fi
  sleep 1; shot "verdict-$mode-$planet-$craft"
}

# The longest flight the tank allows: the engine held until the tank is empty (the craft climbs far out of sight),
# then the long fall back. Side keys would leave the craft drifting off the playfield long before it comes down.
burn() {
  xdotool keydown space; sleep 14; xdotool keyup space
}

# The longest recording: the whole tank burnt as above, then, while the craft falls back from far out of sight, the
# Game Paused dialog read for READ_SECONDS (default 100), Continue, and View and Control Settings read as long and
# cancelled (Game Paused then answered at once). The flight itself is the longest the tank allows (about 113 s).
burn_dialogs() {
  burn
  sleep 5
  xdotool key p; wait_window "Game Paused" 10 > /dev/null || fail "no Game Paused dialog mid-flight"
  sleep "${READ_SECONDS:-100}"; shot "mid-flight-pause"; xdotool key Return
  wait_no_window "Game Paused" 10; sleep 5
  xdotool key alt+s; sleep 1; xdotool key Down Return
  wait_window "View & Controls Settings" 10 > /dev/null || fail "no View & Controls Settings dialog mid-flight"
  sleep "${READ_SECONDS:-100}"; shot "mid-flight-settings"; xdotool key Escape
  wait_window "Game Paused" 10 > /dev/null && { sleep 0.5; xdotool key Return; }
}

# The legged craft tilted both ways while the engine burns (the thrust then follows sines and cosines of the tilt).
tilt() {
  local i
  xdotool keydown space
  for i in $(seq 1 8); do
    sleep 0.6; xdotool key $([ $((i % 4)) -lt 2 ] && echo Right || echo Left)
  done
  xdotool keyup space
}

# The test joystick (GTK): the stick pushed forward (thrust) and sideways in turns through its axes file.
stick() {
  local x y
  for x_y in "0 -32768" "0 0" "20000 -32768" "0 0" "-20000 -32768" "0 0" "0 -32768" "0 0"; do
    echo "$x_y" > "$out/axes.new"; mv "$out/axes.new" "$out/axes"; sleep 1
  done
}

# Waits for the replay in folder $1 (written at the verdict), then ends the game (its pid, or the Wine server).
end_game() {
  local i
  for i in $(seq 1 100); do ls "$1"/*.dvreplay > /dev/null 2>&1 && break; sleep 0.3; done
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k; else kill "$pid"; fi
  wait "$pid" 2> /dev/null
}

# One GTK flight: options in the settings file, the game started, the flight, its replay kept.
#   gtk_flight NOTE MODE EXTRA PLAYER DEVICE CRAFT DIFFICULTY ROUGHNESS PLATFORM FUEL WIND PLANET VISIBILITY
gtk_flight() {
  local note=$1 mode=$2 extra=$3
  shift 3
  case "$wanted" in "  " | *" $note "*) ;; *) return ;; esac
  rm -rf "$out/config" "$out/gtk-replays"; seed_gtk_settings "$@"
  local joystick=()
  [ "$2" = 1 ] && joystick=(DRAVOLINEX_VIRTUAL_JOYSTICK=1 DRAVOLINEX_VIRTUAL_JOYSTICK_AXES="$out/axes")
  rm -f "$out/axes"
  start_game "gtk-$note" env XDG_CONFIG_HOME="$out/config" DRAVOLINEX_REPLAY_DIR="$out/gtk-replays" GDK_GL=disable \
    SDL_AUDIODRIVER=dummy DRAVOLINEX_FLIGHT_LOG="$out/flight.log" "${joystick[@]}" "$gtk"
  wait_window '^Dravolinex$' 60 > /dev/null || { fail "$note: no window"; return; }
  DRAVOLINEX_VIRTUAL_JOYSTICK_AXES="$out/axes" fly "$mode" "$9" "$3" "$extra"
  end_game "$out/gtk-replays"
  keep "$out/gtk-replays" gtk "$note"
}

# One Windows flight under Wine, the same way; the options in the registry, the replays in %LOCALAPPDATA%.
win32_flight() {
  local note=$1 mode=$2 extra=$3
  shift 3
  case "$wanted" in "  " | *" $note "*) ;; *) return ;; esac
  seed_win32_settings "$@"
  local folder="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/Dravolinex/Replays" game=$exe
  rm -rf "$folder"
  # The player follows the craft through the flight log of the game built with the test hooks.
  [[ "$mode" =~ ^(none|burn|burn-dialogs|tilt|stick)$ ]] || game=$hooked_exe
  start_game "win32-$note" env DRAVOLINEX_FLIGHT_LOG="Z:$out/flight.log" wine "$game"
  wait_window '^Dravolinex$' 60 > /dev/null || { fail "$note: no window"; return; }
  fly "$mode" "$9" "$3" "$extra"
  end_game "$folder"
  keep "$folder" win32 "$note"
}

#          note       mode    extra    player device craft diff rough plat fuel wind planet vis
if [ "$which" != win32 ]; then
  gtk_flight keys       land    none     1 0 0 0 1 0 25 0 1 0
  gtk_flight speed      speed   none     1 0 0 0 1 0 25 0 0 0
  gtk_flight roll       roll    none     1 0 1 0 1 0 25 0 0 0
  gtk_flight fall       none    none     1 0 1 0 2 5 25 0 2 0
  gtk_flight pause      none    pause    0 0 0 0 1 5 25 0 1 0
  gtk_flight settings   none    settings 0 0 0 0 3 5 50 33 3 50
  gtk_flight joystick   stick   none     1 1 0 0 1 0 25 0 0 0
  gtk_flight pilot      none    none     0 0 0 0 2 3 25 66 2 0
  gtk_flight pilot-wind none    none     0 0 0 0 1 10 25 99 2 0
  gtk_flight long       burn    none     1 0 1 0 1 5 25 0 0 0
  # The same with Game Paused and View and Control Settings each read for READ_SECONDS mid-flight: 5 minutes and more.
  gtk_flight five-minutes burn-dialogs none 1 0 1 0 1 5 25 0 0 0
  gtk_flight edge-pilot none    none     0 0 0 0 1 10 25 99 3 0
fi
if [ "$which" != gtk ]; then
  wine_prefix_ready
  win32_flight w-fall   none    none     1 0 0 0 4 8 75 99 3 100
  win32_flight w-pilot  none    none     0 0 0 0 1 5 25 33 3 0
  win32_flight w-pause  none    pause    1 0 0 0 1 0 25 0 0 0
  win32_flight w-long   burn    none     1 0 1 0 1 5 25 0 0 0
  win32_flight w-tilt   tilt    none     1 0 1 0 1 5 25 0 1 0
  win32_flight w-keys   land    none     1 0 0 0 1 0 25 0 0 0
  win32_flight w-speed  speed   none     1 0 0 0 1 0 25 0 0 0
  win32_flight w-roll   roll    none     1 0 1 0 1 0 25 0 0 0
  win32_flight w-wind   none    none     0 0 0 0 1 10 25 99 2 0
fi
finish "recording"
