#!/usr/bin/env bash
# Fails when a file of the portable game includes an OS or toolkit header (only platform/ may).
set -u
root=${1:-.}
pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"](windows\.h|winuser\.h|mmsystem\.h|commctrl\.h|gtk/|gdk/|glib|gio/|cairo|pango|SDL|X11/|xcb/|wayland|unistd\.h|fcntl\.h|sys/|pthread\.h|dlfcn\.h|signal\.h|poll\.h|pixman|png\.h)'
hits=$(cd "$root" && grep -rnE "$pattern" app sim world render gfx scoring io dialogs resources \
       --include='*.h' --include='*.cpp' --include='*.hpp' --include='*.cc' 2>/dev/null | grep -v '^resources/tools/')
if [ -n "$hits" ]; then
  echo "OS or toolkit headers outside platform/:"
  echo "$hits"
  exit 1
fi
echo "portable game includes no OS or toolkit header"
