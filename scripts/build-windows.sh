#!/usr/bin/env bash
# Cross-builds the Windows game with mingw-w64: build-win/platform/win32/dravolinex.exe (self-contained, no DLLs).
#   scripts/build-windows.sh           build only
#   scripts/build-windows.sh --smoke   build, then play it under Wine in a virtual X server (tests/windows/smoke.sh)
# Installs g++-mingw-w64-x86-64 (and for --smoke wine64, Xvfb, xdotool, ImageMagick, GoogleTest's sources) when they
# are missing.
set -euo pipefail
cd "$(dirname "$0")/.."

smoke=0
for arg in "$@"; do
  case "$arg" in
    --smoke) smoke=1 ;;
    *) echo "usage: $0 [--smoke]" >&2; exit 2 ;;
  esac
done

packages=()
command -v x86_64-w64-mingw32-g++-posix > /dev/null || packages+=(g++-mingw-w64-x86-64)
command -v cmake > /dev/null || packages+=(cmake)
command -v ninja > /dev/null || packages+=(ninja-build)
if [ "$smoke" = 1 ]; then
  command -v wine > /dev/null || packages+=(wine64)
  command -v xvfb-run > /dev/null || packages+=(xvfb xauth)
  command -v xdotool > /dev/null || packages+=(xdotool)
  command -v import > /dev/null || packages+=(imagemagick)
  [ -f /usr/src/googletest/CMakeLists.txt ] || packages+=(googletest)
fi
if [ "${#packages[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${packages[@]}"
fi

# The resource embedding tool runs during the build, so it is built for this machine first.
mkdir -p build-win/host
host_tool=build-win/host/embed-resources
if [ ! -x "$host_tool" ] || [ resources/tools/embed_resources.cpp -nt "$host_tool" ]; then
  c++ -std=c++20 -O2 -o "$host_tool" resources/tools/embed_resources.cpp
fi

cmake -S . -B build-win -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release \
  -DDRAVOLINEX_DESKTOP=OFF -DDRAVOLINEX_TESTS=OFF -DDRAVOLINEX_BENCH=OFF \
  -DDRAVOLINEX_WIN32=ON \
  -DEMBED_RESOURCES_EXECUTABLE="$PWD/$host_tool" > build-win/configure.log
targets=(dravolinex)
# The backend test exists when GoogleTest's sources were found at configure time.
if [ "$smoke" = 1 ] && ninja -C build-win -t query test_win32_backend > /dev/null 2>&1; then
  targets+=(test_win32_backend)
fi
ninja -C build-win "${targets[@]}"
exe=build-win/platform/win32/dravolinex.exe
echo "built $exe"

if [ "$smoke" = 1 ]; then
  bash tests/windows/smoke.sh "$exe" build-win/smoke
fi
