#!/usr/bin/env bash
# Fails when an include runs against the game's layers (see the README's Layout):
#   gfx/                       the canvas: itself only
#   resources/                 tables and pictures: gfx/, itself
#   platform/*.h               the service contract: itself only
#   sim/ world/ render/ scoring/ io/ dialogs/
#                              the game: each other, gfx/, resources/, platform/*.h; never app/ nor a backend,
#                              and never an OS or toolkit header
#   app/                       the shell: the game and platform/*.h
#   platform/<backend>/        a backend: platform/*.h (the game only through platform/app_entry.h), the shared
#                              platform/common/ and platform/filestore/, its own folder, resources/ (data)
#   tools/ tests/ fuzz/ bench/ drive the whole program and may include anything
set -u
root=${1:-.}
cd "$root" || exit 2
status=0
os='(windows\.h|winuser\.h|mmsystem\.h|commctrl\.h|gtk/|gdk/|glib|gio/|cairo|pango|SDL|X11/|xcb/|wayland|emscripten|unistd\.h|fcntl\.h|sys/|pthread\.h|dlfcn\.h|signal\.h|poll\.h|pixman|png\.h)'

# Lists "file:line: include" of the project's own includes in the given folders that match `pattern`.
includes_matching() {
  local pattern=$1; shift
  grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]$pattern" "$@" \
       --include='*.h' --include='*.cpp' --include='*.hpp' --include='*.cc' 2>/dev/null
}

report() {
  local what=$1 hits=$2
  [ -z "$hits" ] && return
  echo "$what:"
  echo "$hits"
  status=1
}

report "OS or toolkit headers outside platform/" \
  "$(includes_matching "$os" app sim world render gfx scoring io dialogs resources | grep -v '^resources/tools/')"
report "the canvas (gfx/) reaches up into the game" \
  "$(includes_matching '(app|sim|world|render|scoring|io|dialogs|resources|platform)/' gfx)"
report "resources/ reaches up into the game" \
  "$(includes_matching '(app|sim|world|render|scoring|io|dialogs|platform)/' resources | grep -v '^resources/tools/')"
report "a platform service header reaches into the game" \
  "$(includes_matching '(app|sim|world|render|scoring|io|dialogs|gfx|resources)/' platform/*.h)"
report "the game includes the shell (app/) or a backend" \
  "$(includes_matching '(app/|platform/[a-z0-9_]+/)' sim world render gfx scoring io dialogs resources | grep -v '^resources/tools/')"
report "a backend reaches the game other than through platform/app_entry.h" \
  "$(includes_matching '(app|sim|world|render|gfx|scoring|io|dialogs)/' platform/*/ | grep -v '^platform/[a-z0-9_]*/tools/')"

[ "$status" = 0 ] && echo "every include follows the layers"
exit "$status"
