#!/bin/bash
# Opens the editor on a level under Wine, on a virtual display when there is none.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start
exe=build/windows/editor/Quillmarch.exe
if [ ! -f "$exe" ]; then
  echo "The editor is not built yet; here is the level instead:"
  build/windows/vrktool/vrktool.exe >/dev/null 2>&1
  build/native/vrktool/vrktool info "$1"
  exit $?
fi
[ -n "$QM_XVFB_PID" ] && echo "The editor runs on the virtual display $DISPLAY (no window will show here); close it with Ctrl+C."
$WINE "$exe" "$(winepath_of "$1")"
