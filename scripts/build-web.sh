#!/usr/bin/env bash
# Builds the browser game with Debian's emscripten and writes the page to dist/web/: index.html, its script and style,
# dravolinex.js and dravolinex.wasm, the web app manifest and the icons. Nothing on the page comes from another site,
# so dist/web/ can be put on any static web host as it is. Installs the Debian packages it needs when they are missing
# (through sudo when not root).
#   scripts/build-web.sh                the players' page in dist/web/
#   scripts/build-web.sh --test-hooks   also the page the browser tests play, with their hooks, in dist/web-test/
set -euo pipefail
cd "$(dirname "$0")/.."
test_hooks=0
case "${1:-}" in
  "") ;;
  --test-hooks) test_hooks=1 ;;
  *) echo "usage: $0 [--test-hooks]" >&2; exit 2 ;;
esac

packages=()
command -v emcc > /dev/null || packages+=(emscripten)
command -v c++ > /dev/null || packages+=(g++)
command -v cmake > /dev/null || packages+=(cmake)
command -v ninja > /dev/null || packages+=(ninja-build)
command -v pkg-config > /dev/null || packages+=(pkg-config)
if [ "${#packages[@]}" -gt 0 ]; then
  sudo=""
  [ "$(id -u)" = 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${packages[@]}"
fi

# Debian's emscripten finds its node modules (acorn for the optimizer) only through NODE_PATH, and wants python3.
export NODE_PATH=/usr/share/nodejs EMSDK_PYTHON=/usr/bin/python3
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# The resource embedding tool runs during the build, so it is built for this machine first.
mkdir -p build-web/host
host_tool=build-web/host/embed-resources
if [ ! -x "$host_tool" ] || [ resources/tools/embed_resources.cpp -nt "$host_tool" ]; then
  c++ -std=c++20 -O2 -o "$host_tool" resources/tools/embed_resources.cpp
fi
emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DDRAVOLINEX_WEB=ON \
  -DDRAVOLINEX_DESKTOP=OFF -DDRAVOLINEX_TESTS=OFF -DDRAVOLINEX_BENCH=OFF \
  -DEMBED_RESOURCES_EXECUTABLE="$PWD/$host_tool" "${launcher[@]}" > build-web/configure.log
targets=(dravolinex-web)
[ "$test_hooks" = 1 ] && targets+=(dravolinex-web-test)
cmake --build build-web --target "${targets[@]}" -j "$(nproc)"

# The page: the game (from `built`) and the page's own files into `out`.
write_page() {
  local built=$1 out=$2
  rm -rf "$out"
  mkdir -p "$out"
  cp "$built/dravolinex.js" "$built/dravolinex.wasm" "$out/"
  cp platform/web/page/index.html platform/web/page/*.js platform/web/page/dravolinex.css \
     platform/web/page/manifest.webmanifest "$out/"
  cp resources/desktop/dravolinex.svg "$out/dravolinex.svg"
  cp resources/icons/107-program.ico "$out/dravolinex.ico"
  echo "$out/"
}
write_page build-web/platform/web dist/web
[ "$test_hooks" = 0 ] || write_page build-web/platform/web/test dist/web-test
