#!/bin/bash
# Drives the real editor under Wine with random events:
#   scripts/run-soak.sh [EVENTS] [SEED]     (default 5000 events, seed 1)
# The soak program prints a summary; on a failure it prints the reason, the
# last events and the command that repeats the run, and this script fails.
set -u
cd "$(dirname "$0")/.."
events=${1:-5000}
seed=${2:-1}
case "$events$seed" in
  ''|*[!0-9]*) echo "usage: scripts/run-soak.sh [EVENTS] [SEED]" >&2; exit 2 ;;
esac
soak=build/windows/tests/soak/soak.exe
[ -f "$soak" ] || { echo "$soak is missing: run make windows first" >&2; exit 1; }
. scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start || exit 1
# Wine says once per file dialog that Z: has no volume label: noise.
"$WINE" "$soak" --events "$events" --seed "$seed" 2> >(grep -v "FS volume label" >&2)
