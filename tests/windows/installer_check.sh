#!/usr/bin/env bash
# Installs the Windows game with its setup program under Wine, silently and for this user only, as a player's
# package manager would: the Start menu shortcut points at the installed exe, Apps & features has the entry with
# icon, version and size, setup run again and the uninstaller both close the running game first, and the silent
# uninstall removes everything it installed while keeping the player's saved options.
#   installer_check.sh SETUP_EXE OUTPUT_DIRECTORY
set -u
source "$(dirname "$(realpath "$0")")/../lib/window_test_helpers.sh"
setup=$(realpath "$1")
out=$(realpath -m "${2:-installer-check}")

mkdir -p "$out"
run_in_virtual_display "$0" "$setup" "$out"

rm -f "$out"/*.png "$out"/*.log
wine_prefix_ready winemenubuilder.exe=
wine reg delete 'HKCU\Software\Orv' /f > /dev/null 2>&1
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravolinex'

# One value of a registry key, or nothing.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }

# Escape on setup's first page asks before leaving; Yes leaves with nothing installed.
start_game setup-escaped wine "$setup"
if page=$(wait_window '^Dravolinex .* Setup$' 30); then
  sleep 1; shot setup-welcome
  xdotool windowfocus "$page" 2> /dev/null; xdotool key Escape
  asked=no
  for _ in $(seq 25); do
    [ "$(xdotool search --onlyvisible --name '^Dravolinex .* Setup$' 2> /dev/null | wc -l)" -ge 2 ] && { asked=yes; break; }
    sleep 0.2
  done
  [ "$asked" = yes ] && { shot setup-escape; pass "Escape in setup asks before leaving"; } ||
    fail "Escape in setup did not ask"
  xdotool key Return # Yes
fi
if wait_game_end 15; then wait "$pid"; else fail "setup did not end after Escape and Yes"; kill "$pid"; wait "$pid"; fi
wine reg query "$uninstall_key" > /dev/null 2>&1 && fail "setup left by Escape installed the game" ||
  pass "setup left by Escape installs nothing"

if wine "$setup" /S > "$out/install.log" 2>&1; then pass "the silent install ends with code 0"
else fail "the silent install failed (see $out/install.log)"; fi
wineserver -w

appdata=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
shortcut=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Dravolinex.lnk")
target=""
if [ -f "$shortcut" ]; then
  pass "the Start menu has the Dravolinex shortcut"
  target=$(LC_ALL=C grep -a -o '[A-Za-z]:\\[^[:cntrl:]]*dravolinex\.exe' "$shortcut" | head -1)
else
  fail "no Start menu shortcut at $shortcut"
fi
exe=""
[ -n "$target" ] && exe=$(unix_path "$target")
if [ -n "$exe" ] && [ -f "$exe" ]; then pass "the shortcut points at the installed game: $target"
else fail "the shortcut's target '$target' is not there"; fi
install_dir=$(reg_value "$uninstall_key" InstallLocation)
case "$install_dir" in
  *'\AppData\Local\Programs\Dravolinex') pass "installed for this user only: $install_dir" ;;
  *) fail "installed in '$install_dir', not under the user's AppData\\Local\\Programs" ;;
esac
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$(sed -n 's/^project(Dravolinex VERSION \([0-9.]*\).*/\1/p' \
  "$(dirname "$(realpath "$0")")/../../CMakeLists.txt")" ] && pass "Apps & features shows the version" ||
  fail "Apps & features version '$(reg_value "$uninstall_key" DisplayVersion)'"
[ "$(reg_value "$uninstall_key" DisplayIcon)" = "$target,0" ] && pass "Apps & features shows the game's icon" ||
  fail "Apps & features icon '$(reg_value "$uninstall_key" DisplayIcon)'"

# The installed game starts; setup run again meanwhile (an update) closes it first, as File > Exit does (so it saves
# its options and ends with code 0); started again, the uninstaller closes it the same way.
# Runs setup or the uninstaller ($2) silently while the installed game runs; $1 names the step.
while_game_runs() {
  local step=$1
  shift
  start_game "installed-$step" wine "$exe"
  wait_window "Game Feature Settings" 30 > /dev/null || fail "$step: the installed game opens no window"
  [ "$step" = update ] && { sleep 1; shot installed-game; }
  wine reg delete 'HKCU\Software\Orv' /f > /dev/null 2>&1
  wine "$@" > "$out/$step.log" 2>&1 || fail "$step: ends with code $? (see $out/$step.log)"
  if wait_game_end 15; then
    wait "$pid" && pass "$step: the running game is closed first and ends with code 0" || fail "$step: the game's exit code $?"
  else
    fail "$step: the running game was left running"; kill "$pid"; wait "$pid"
  fi
  [ -n "$(reg_value 'HKCU\Software\Orv\Dravolinex' options)" ] || fail "$step: the closed game saved no options"
}
if [ -n "$exe" ] && [ -f "$exe" ]; then
  while_game_runs update "$setup" /S
  size_kb=$(reg_value "$uninstall_key" EstimatedSize)
  real_kb=$(find "$(dirname "$exe")" -type f -printf '%s\n' | awk '{ s += $1 } END { print int(s / 1024) }')
  [ $((size_kb)) -ge $((real_kb - 8)) ] && [ $((size_kb)) -le $((real_kb + 8)) ] &&
    pass "Apps & features gives the installed size: $((size_kb)) KB" ||
    fail "Apps & features gives $size_kb for the installed $real_kb KB"
fi
wineserver -w

# The uninstaller runs as a copy in the temporary folder: the Wine server ends when it has finished.
if [ -n "$exe" ] && [ -f "$exe" ]; then
  while_game_runs uninstall "$(unix_path "$install_dir\\uninstall.exe")" /S
  wineserver -w
fi
dir_unix=$(unix_path "$install_dir")
[ -n "$dir_unix" ] && [ ! -e "$dir_unix" ] && pass "the silent uninstall removes the installed folder" ||
  fail "the installed folder is still there: $(ls -A "$dir_unix" 2>/dev/null | tr '\n' ' ')"
[ ! -e "$shortcut" ] && pass "the silent uninstall removes the shortcut" || fail "the shortcut is still there"
wine reg query "$uninstall_key" > /dev/null 2>&1 && fail "the Apps & features entry is still there" ||
  pass "the silent uninstall removes the Apps & features entry"
[ -n "$(reg_value 'HKCU\Software\Orv\Dravolinex' options)" ] && pass "the silent uninstall keeps the saved options" ||
  fail "the silent uninstall removed the saved options"

finish "installer check"
