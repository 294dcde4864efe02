#!/usr/bin/env bash
# Builds Dravolinex with its tests and runs every test (unit, headless game, simulator, real window).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-test
ctest --test-dir build-test --output-on-failure --timeout 600 -j "$(nproc)"
