#!/bin/bash
# The editor's benchmarks under Wine: PaintMap of 256 sectors into a
# 1920 x 1080 memory bitmap, and start-up to first paint against a minimal
# Win32 window program. They print figures; nothing here passes or fails on
# a time.
set -u
cd "$(dirname "$0")/.."
bench=build/windows/bench
for exe in paint_map_bench.exe startup_bench.exe; do
  if [ ! -f "$bench/$exe" ]; then
    echo "run-editor-bench: $bench/$exe is not built; run 'make windows' first." >&2
    exit 1
  fi
done
. scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start || exit 1
status=0
echo "== editor benchmarks under Wine =="
"$WINE" "$bench/paint_map_bench.exe" </dev/null || status=1
"$WINE" "$bench/startup_bench.exe" "${STARTUP_RUNS:-15}" </dev/null || status=1
exit $status
