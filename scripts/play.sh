#!/usr/bin/env bash
# Installs what Dravolinex needs, builds it and starts the game.
#   scripts/play.sh [GAME OPTIONS]   the desktop game
#   scripts/play.sh --web [PORT]     the browser game, served on 127.0.0.1 (a free port unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
# --web: the browser game, built into dist/web and served on this machine until Ctrl+C.
if [ "${1:-}" = --web ]; then
  bash scripts/build-web.sh
  exec python3 -c '
import functools, http.server, sys
port = int(sys.argv[1]) if len(sys.argv) > 1 else 0
http.server.SimpleHTTPRequestHandler.extensions_map[".wasm"] = "application/wasm"
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory="dist/web")
server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
print(f"Dravolinex is served at http://127.0.0.1:{server.server_address[1]}/ (Ctrl+C ends)", flush=True)
try:
    server.serve_forever()
except KeyboardInterrupt:
    pass
' "${@:2}"
fi
bash scripts/install-deps.sh --play
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DDRAVOLINEX_TESTS=OFF -DDRAVOLINEX_BENCH=OFF
cmake --build build --target dravolinex
exec ./build/platform/gtk/dravolinex "$@"
