#!/usr/bin/env bash
# The Windows game's CI step: cross-build it, make the download (zip and installer), check the exe a player gets,
# and play it under Wine in a virtual X server (the backend test, the smoke play, the installer's install, start
# and uninstall, and every dialog at 100, 150 and 200 % display scale). Installs what it needs on Debian 12 (as root or
# through sudo) and runs at most as many jobs as the machine has cores. Ends non-zero when anything failed.
set -uo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
failures=0
step() { echo; echo "==== $* ($(($(date +%s) - start)) s)"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

step "build, package, backend test, smoke play and installer check under Wine"
bash scripts/build-windows.sh --smoke --package || fail "scripts/build-windows.sh --smoke --package"

version=$(sed -n 's/^project(Dravolinex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
exe=build-win/package/dravolinex-$version-win64/dravolinex.exe # the stripped exe of the download
step "the exe in the download: $exe"
if [ ! -f "$exe" ] || [ ! -f "dist/dravolinex-$version-win64.zip" ] || [ ! -f "dist/dravolinex-$version-setup.exe" ]; then
  fail "the download is incomplete: $(ls dist 2>/dev/null | tr '\n' ' ')"
else
  headers=$(x86_64-w64-mingw32-objdump -p "$exe")
  hooks=$(bash tests/check_test_hooks.sh absent "$exe") && pass "no test hooks" || fail "$hooks"
  grep -q 'Subsystem.*(Windows GUI)' <<< "$headers" && pass "GUI subsystem" || fail "not a GUI program"
  # Only DLLs every Windows has: the exe carries its C++ runtime inside.
  imports=$(awk '/DLL Name:/ { print toupper($3) }' <<< "$headers" | sort -u | tr '\n' ' ')
  foreign=$(tr ' ' '\n' <<< "$imports" | grep -v -x -E '|KERNEL32.DLL|USER32.DLL|GDI32.DLL|ADVAPI32.DLL|COMCTL32.DLL|WINMM.DLL|MSVCRT.DLL|SHELL32.DLL|OLE32.DLL')
  [ -z "$foreign" ] && pass "imports only system DLLs: $imports" || fail "imports non-system DLLs: $foreign"
  resources=$(x86_64-w64-mingw32-windres -J coff -i "$exe" -O rc 2>&1)
  manifest=$(sed -n '/RT_MANIFEST/,/^END/p' <<< "$resources")
  grep -q 'PerMonitorV2' <<< "$manifest" && grep -q 'true/pm' <<< "$manifest" &&
    pass "the manifest asks for per-monitor DPI awareness" || fail "no per-monitor DPI awareness in the manifest"
  grep -q 'Microsoft.Windows.Common-Controls""* version=""6.0.0.0' <<< "$manifest" &&
    pass "the manifest asks for common controls 6" || fail "no common controls 6 in the manifest"
  version_block=$(sed -n '/VERSIONINFO/,/^END/p' <<< "$resources")
  missing=""
  for value in CompanyName FileDescription FileVersion LegalCopyright OriginalFilename ProductName ProductVersion; do
    grep -q "VALUE \"$value\"" <<< "$version_block" || missing+="$value "
  done
  grep -q "FILEVERSION ${version/./, }" <<< "$version_block" || missing+="FILEVERSION "
  [ -z "$missing" ] && pass "a full version block for $version" || fail "the version block lacks $missing"
  for icon in 107 108; do
    group=$(sed -n "/^$icon 14 /,/^END/p" <<< "$resources")
    sizes=$(grep -o '"\\[0-7]*\\[0-7]*' <<< "$group" | awk -F'\\' '{ n = 0; for (i = 1; i <= length($2); i++)
            n = n * 8 + substr($2, i, 1); print n ? n : 256 }' | sort -n | tr '\n' ' ')
    [ "$sizes" = "16 20 24 32 48 256 " ] && pass "icon $icon has images of ${sizes% } pixels" ||
      fail "icon $icon has images of '$sizes' pixels, not 16 20 24 32 48 256"
  done
fi

step "every dialog at 100, 150 and 200 % display scale"
bash tests/windows/scale_check.sh "$exe" build-win/scale || fail "tests/windows/scale_check.sh"

step "done"
[ "$failures" = 0 ] && echo "windows CI passed" || echo "windows CI: $failures failures"
[ "$failures" = 0 ]
