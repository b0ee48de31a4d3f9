#!/bin/bash
# Builds the optimised benchmark preset and runs each benchmark program,
# passing on any arguments (e.g. --benchmark_filter=BuildPortals).
set -eu
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench -j "${JOBS:-2}"

# One line per benchmark program, in the order they run.
programs=(
  build/bench/bench/level_bench
  build/bench/bench/export_bench
)
for program in "${programs[@]}"; do
  echo "== $program"
  "$program" "$@"
done
