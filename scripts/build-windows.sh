#!/usr/bin/env bash
# Cross-builds the Windows game with mingw-w64: build-win/platform/win32/dravolinex.exe (self-contained, no DLLs).
#   scripts/build-windows.sh             build only
#   scripts/build-windows.sh --smoke     also play it under Wine in a virtual X server (tests/windows/smoke.sh), built
#                                        a second time with the test hooks as build-win/platform/win32/test-hooks/
#   scripts/build-windows.sh --package   also make dist/dravolinex-VERSION-win64.zip and dist/dravolinex-VERSION-setup.exe
# With both, the installer is checked under Wine too (tests/windows/installer_check.sh). Installs the Debian packages
# it needs when they are missing (through sudo when not root). Runs at most as many jobs as the machine has cores.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0 package=0
for arg in "$@"; do
  case "$arg" in
    --smoke) smoke=1 ;;
    --package) package=1 ;;
    *) echo "usage: $0 [--smoke] [--package]" >&2; exit 2 ;;
  esac
done

packages=()
command -v x86_64-w64-mingw32-g++-posix > /dev/null || packages+=(g++-mingw-w64-x86-64-posix)
command -v x86_64-w64-mingw32-windres > /dev/null || packages+=(binutils-mingw-w64-x86-64)
command -v c++ > /dev/null || packages+=(g++)
command -v cmake > /dev/null || packages+=(cmake)
command -v ninja > /dev/null || packages+=(ninja-build)
if [ "$smoke" = 1 ]; then
  command -v wine > /dev/null || packages+=(wine wine64) # the wine command comes with the first
  command -v xvfb-run > /dev/null || packages+=(xvfb xauth)
  command -v xdotool > /dev/null || packages+=(xdotool)
  command -v import > /dev/null || packages+=(imagemagick)
  [ -f /usr/src/googletest/CMakeLists.txt ] || packages+=(googletest)
fi
if [ "$package" = 1 ]; then
  command -v makensis > /dev/null || packages+=(nsis)
fi
if [ "${#packages[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${packages[@]}"
fi
jobs=$(nproc)

# The resource embedding tool runs during the build, so it is built for this machine first.
mkdir -p build-win/host
host_tool=build-win/host/embed-resources
if [ ! -x "$host_tool" ] || [ resources/tools/embed_resources.cpp -nt "$host_tool" ]; then
  c++ -std=c++20 -O2 -o "$host_tool" resources/tools/embed_resources.cpp
fi

launcher=()
if command -v ccache > /dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-win -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release \
  -DDRAVOLINEX_DESKTOP=OFF -DDRAVOLINEX_TESTS=OFF -DDRAVOLINEX_BENCH=OFF -DDRAVOLINEX_TEST_HOOKS=OFF \
  -DDRAVOLINEX_WIN32=ON \
  "${launcher[@]}" \
  -DEMBED_RESOURCES_EXECUTABLE="$PWD/$host_tool" > build-win/configure.log
targets=(dravolinex)
# The smoke test plays the game with its test hooks (the pacing log); the download's exe has none.
[ "$smoke" = 1 ] && targets+=(dravolinex-test-hooks)
# The backend test exists when GoogleTest's sources were found at configure time.
if [ "$smoke" = 1 ] && ninja -C build-win -t query test_win32_backend > /dev/null 2>&1; then
  targets+=(test_win32_backend)
fi
ninja -C build-win -j"$jobs" "${targets[@]}"
exe=build-win/platform/win32/dravolinex.exe
echo "built $exe"

status=0
if [ "$package" = 1 ]; then
  version=$(sed -n 's/^project(Dravolinex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
  stage=build-win/package/dravolinex-$version-win64
  rm -rf build-win/package && mkdir -p "$stage/licenses" dist
  x86_64-w64-mingw32-strip -o "$stage/dravolinex.exe" "$exe"
  # Windows text files: CRLF line ends.
  crlf() { sed -e "s/@VERSION@/$version/" -e 's/\r*$/\r/' "$1" > "$2"; }
  crlf resources/windows/README.txt "$stage/README.txt"
  crlf LICENSE "$stage/LICENSE.txt"
  # The notices of what the compiler linked into the exe: the C++ and GCC runtime (GPL 3 with the GCC Runtime
  # Library Exception), the mingw-w64 runtime and winpthreads (ZPL 2.1, MIT-style and public domain parts).
  notices=$stage/licenses/NOTICES.txt
  {
    echo "dravolinex.exe is statically linked with these runtime libraries of its compiler (mingw-w64 GCC):"
    echo
    echo "- libstdc++ and libgcc: GPL 3 with the GCC Runtime Library Exception 3.1 (gcc-runtime.txt, GPL-3.txt)"
    echo "- the mingw-w64 C runtime and winpthreads: ZPL 2.1, MIT-style and public-domain terms (mingw-w64.txt)"
    echo
    echo "Its letters are drawn from the DejaVu Sans Bold font: Bitstream Vera licence (dejavu-glyphs.txt)."
    echo
    echo "The files beside this one are the full copyright and licence statements of those libraries and that font."
  } > "$notices.tmp"
  crlf "$notices.tmp" "$notices" && rm "$notices.tmp"
  for f in /usr/share/doc/gcc-mingw-w64-base/copyright /usr/share/doc/mingw-w64-common/copyright \
           /usr/share/common-licenses/GPL-3; do
    [ -f "$f" ] || { echo "missing licence text $f: the download must carry it" >&2; exit 1; }
  done
  crlf /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime.txt"
  crlf /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64.txt"
  crlf /usr/share/common-licenses/GPL-3 "$stage/licenses/GPL-3.txt"
  crlf gfx/glyphs-LICENSE.txt "$stage/licenses/dejavu-glyphs.txt"

  zip=dist/dravolinex-$version-win64.zip
  rm -f "$zip"
  (cd build-win/package && cmake -E tar cf "$OLDPWD/$zip" --format=zip "dravolinex-$version-win64")
  echo "made $zip"

  setup=dist/dravolinex-$version-setup.exe
  size_kb=$(du -sk "$stage" | cut -f1)
  cp resources/windows/installer.nsi resources/windows/107-program.ico build-win/package/
  makensis -V2 -DVERSION="$version" -DSTAGE="dravolinex-$version-win64" -DOUTFILE="$PWD/$setup" \
    -DSIZE_KB="$size_kb" build-win/package/installer.nsi
  echo "made $setup"
  if [ "$smoke" = 1 ]; then
    bash tests/windows/installer_check.sh "$setup" build-win/installer-check || status=1
  fi
fi

if [ "$smoke" = 1 ]; then
  bash tests/windows/smoke.sh build-win/platform/win32/test-hooks/dravolinex.exe build-win/smoke || status=1
fi
exit $status
