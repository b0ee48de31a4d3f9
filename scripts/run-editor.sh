#!/bin/bash
# Opens the editor on a level (default examples/hall.vrk) under Wine. Where
# there is no display it starts a virtual one and says so.
set -u
cd "$(dirname "$0")/.."
level=${1:-examples/hall.vrk}
exe=build/windows/editor/Quillmarch.exe
if [ ! -f "$exe" ]; then
  echo "run-editor: $exe is not built; run 'make windows' first." >&2
  exit 1
fi
if [ ! -f "$level" ]; then
  echo "run-editor: no level file $level" >&2
  exit 1
fi
. scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start || exit 1
if [ -n "$QM_XVFB_PID" ]; then
  echo "There is no display, so the editor runs on the virtual display $DISPLAY and no window"
  echo "will show here. Stop it with Ctrl+C."
fi
echo "Opening $level in Quillmarch.exe"
"$WINE" "$exe" "$(winepath_of "$level")"
