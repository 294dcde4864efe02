#!/usr/bin/env bash
# The browser game as CI checks it: builds dist/web and dist/web-test (the same with the test hooks), installs the
# browser tests' npm packages from their lock file, serves the test page on 127.0.0.1 and plays it in Debian's
# chromium, headless (tests/web/run.mjs), then measures the download size and the time to the first frame
# (bench/measure_web.mjs; the sizes must stay within the budget). Installs the Debian packages it needs when they are
# missing (through sudo when not root).
set -euo pipefail
cd "$(dirname "$0")/.."

sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
apt_install() {
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@"
}
packages=()
command -v chromium > /dev/null || packages+=(chromium)
command -v node > /dev/null || packages+=(nodejs) # some node packages bring npm along
command -v python3 > /dev/null || packages+=(python3)
[ "${#packages[@]}" = 0 ] || apt_install "${packages[@]}"
command -v npm > /dev/null || apt_install npm

bash scripts/build-web.sh --test-hooks
# The pixel comparison needs the simulator of this machine; the Linux suite's build has it.
if [ ! -x build-test/tools/dravolinex-sim ]; then
  bash scripts/install-deps.sh
  cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
  cmake --build build-test --target dravolinex-sim -j "$(nproc)"
fi
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node tests/web/run.mjs
node bench/measure_web.mjs
