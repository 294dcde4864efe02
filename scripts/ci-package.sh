#!/usr/bin/env bash
# CI: builds the Debian package, checks it (lintian errors fail, AppStream and menu entry valid), installs it
# the way a player does, starts the installed game from its menu entry's Exec line in a virtual X server, leaves
# it through File > Exit, and removes the package again. Run as root (or with sudo) on Debian 12.
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
source tests/lib/window_test_helpers.sh
export DEBIAN_FRONTEND=noninteractive
desktop_file=/usr/share/applications/dravolinex.desktop

# ---- inside the virtual X server: play the installed game ----
if [ "${1:-}" = --play ]; then
  out=$2
  export XDG_CONFIG_HOME="$out/config"
  rm -rf "$XDG_CONFIG_HOME"
  exec_line=$(sed -n 's/^Exec=//p' "$desktop_file" | sed 's/ *%[a-zA-Z]//g')
  echo "menu entry starts: $exec_line"
  start_game installed-game $exec_line
  if timeout 20 xdotool search --sync --onlyvisible --name '^Dravolinex$' > /dev/null; then
    pass "the installed game's window appears"
  else
    fail "no Dravolinex window within 20 s"; cat "$out/installed-game.log"; kill "$pid"; exit 1
  fi
  wait_window "Game Feature Settings" 15 > /dev/null && pass "the Game Feature Settings dialog opens" ||
    fail "no Game Feature Settings dialog"
  sleep 0.5
  command -v import > /dev/null && shot installed-game
  xdotool key Escape; wait_window "Game Paused" 5 > /dev/null; xdotool key Return; sleep 0.5
  exit_by_menu "installed game"
  [ -s "$XDG_CONFIG_HOME/dravolinex/settings" ] && pass "Exit saved the settings" || fail "Exit saved no settings"
  finish "installed game"
  exit
fi

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
tools=(lintian appstream desktop-file-utils xvfb xauth xdotool)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

deb=$(bash scripts/package-deb.sh | tail -1)
echo "built $deb"

# The files exactly as they ship.
check=build-deb/package-check
rm -rf "$check"
dpkg-deb -x "$deb" "$check"
lintian --fail-on error --display-info "$deb"
appstreamcli validate --no-net "$check"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$check$desktop_file"
bash tests/check_test_hooks.sh absent "$check/usr/games/dravolinex"

# Install as a player does, play, remove.
dpkg-query -W -f='${Status}' dravolinex 2>/dev/null | grep -q "install ok installed" && $sudo apt-get purge -y -q dravolinex
$sudo apt-get install -y -q "./$deb"
played=0
out=$(realpath -m build-deb/installed-game)
mkdir -p "$out"
xvfb-run -a -n $((100 + RANDOM % 800)) -s "-screen 0 1280x1024x24" bash "$self" --play "$out" || played=$?
$sudo apt-get purge -y -q dravolinex
if [ -e /usr/games/dravolinex ] || [ -e "$desktop_file" ]; then
  echo "FAIL: removing the package left the game behind"; exit 1
fi
[ "$played" = 0 ] || exit "$played"
echo "package checks passed: $deb"
