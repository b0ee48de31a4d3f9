#!/bin/bash
# Runs every test: the native suite, then the Windows suite under Wine.
set -u
cd "$(dirname "$0")/.."
. scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start || exit 1

status=0
echo "== native tests =="
ctest --test-dir build/native --output-on-failure -j 2 || status=1
# A short fuzz run of the level reader (make fuzz runs the long one).
echo "== fuzzing the level reader =="
scripts/run-fuzz.sh 20 || status=1
echo "== Windows tests under Wine =="
ctest --test-dir build/windows --output-on-failure -j 2 --timeout 120 || status=1
exit $status
