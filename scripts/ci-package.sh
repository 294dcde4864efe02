#!/usr/bin/env bash
# CI: builds the source and binary packages from debian/ (scripts/package-deb.sh --source) and checks them: lintian
# on both (errors and warnings fail), the AppStream file and the menu entry valid; then installs the game as a player
# does, runs the package's as-installed test with autopkgtest (debian/tests/installed-game: the menu entry's command
# starts the game in a virtual X server, File > Exit leaves it) and removes the package again.
# Run as root (or with sudo) on Debian 12.
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive
desktop_file=/usr/share/applications/org.orv.dravolinex.desktop

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
tools=(lintian appstream desktop-file-utils autopkgtest xvfb xauth xdotool)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

built=$(bash scripts/package-deb.sh --source)
dsc=$(echo "$built" | grep '\.dsc$')
deb=$(echo "$built" | grep '\.deb$')
echo "built $dsc and $deb"

# The files exactly as they ship.
check=build-deb/package-check
rm -rf "$check"
dpkg-deb -x "$deb" "$check"
lintian --fail-on error,warning --display-info "$dsc" "$deb"
appstreamcli validate --no-net "$check"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$check$desktop_file"
bash tests/check_test_hooks.sh absent "$check/usr/games/dravolinex"

# Install as a player does, run the as-installed test against that installation, remove.
dpkg-query -W -f='${Status}' dravolinex 2>/dev/null | grep -q "install ok installed" && $sudo apt-get purge -y -q dravolinex
$sudo apt-get install -y -q "./$deb"
tested=0
rm -rf build-deb/autopkgtest
$sudo autopkgtest --no-built-binaries --output-dir build-deb/autopkgtest "$dsc" -- null || tested=$?
$sudo apt-get purge -y -q dravolinex
if [ -e /usr/games/dravolinex ] || [ -e "$desktop_file" ]; then
  echo "FAIL: removing the package left the game behind"; exit 1
fi
[ "$tested" = 0 ] || { echo "FAIL: the as-installed test (logs in build-deb/autopkgtest)"; exit "$tested"; }
echo "package checks passed: $deb"
