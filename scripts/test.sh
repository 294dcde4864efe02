#!/usr/bin/env bash
# Builds Dravolinex with its tests and runs every test:
#   1. the Linux suite (unit tests, headless games, the simulator, the game in real windows under X, Wayland,
#      a window manager and a scale of 2);
#   2. the Windows game: cross-built, its exe checked, backend tests, play, scaling and installer under Wine;
#   3. the Debian package: built, checked, installed, started from its menu entry and removed again;
#   4. each fuzz target for a short time under the sanitizers;
#   5. the browser game: built with emscripten, played in headless chromium, its size and first frame measured.
#   scripts/test.sh            all of it
#   scripts/test.sh --linux    the Linux suite only (the quick check while working)
set -euo pipefail
cd "$(dirname "$0")/.."
linux_only=0
case "${1:-}" in
  "") ;;
  --linux) linux_only=1 ;;
  *) echo "usage: $0 [--linux]" >&2; exit 2 ;;
esac
jobs=$(nproc)

bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDRAVOLINEX_TEST_HOOKS=ON
cmake --build build-test -j "$jobs"
ctest --test-dir build-test --output-on-failure --timeout 600 -j "$jobs"
[ "$linux_only" = 1 ] && exit 0

bash scripts/ci-windows.sh
bash scripts/ci-package.sh
bash scripts/fuzz.sh 30
bash scripts/ci-web.sh
