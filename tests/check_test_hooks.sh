#!/usr/bin/env bash
# Whether game executables carry the test hooks: a build with them names the environment variables that switch
# them on (DRAVOLINEX_TEST_LOG, DRAVOLINEX_PACING_LOG, ...); the packaged game and the Windows download must name none.
# The player's own settings are not hooks: DRAVOLINEX_REPLAY_DIR (another replay folder) and DRAVOLINEX_RECORD (0 keeps
# no replays).
#   check_test_hooks.sh absent|present EXECUTABLE...
set -uo pipefail
want=$1; shift
status=0
for exe in "$@"; do
  # Narrow and UTF-16 strings: the Windows exe may hold either.
  names=$( { strings -a "$exe"; strings -a -e l "$exe"; } | grep -oE 'DRAVOLINEX_[A-Z0-9_]+' |
          grep -vxE 'DRAVOLINEX_(REPLAY_DIR|RECORD)' | sort -u | tr '\n' ' ')
  if [ ! -s "$exe" ]; then echo "FAIL: no executable $exe"; status=1
  elif [ "$want" = absent ] && [ -n "$names" ]; then echo "FAIL: $exe has test hooks: $names"; status=1
  elif [ "$want" = present ] && [ -z "$names" ]; then echo "FAIL: $exe has no test hooks"; status=1
  else echo "ok: $exe: test hooks $want${names:+ ($names)}"; fi
done
exit $status
