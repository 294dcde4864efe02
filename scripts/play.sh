#!/usr/bin/env bash
# Installs what Dravolinex needs, builds it and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --play
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DDRAVOLINEX_TESTS=OFF -DDRAVOLINEX_BENCH=OFF
cmake --build build --target dravolinex
exec ./build/platform/gtk/dravolinex "$@"
