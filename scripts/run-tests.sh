#!/bin/bash
# Everything make test runs once both presets are built: the format of the
# changed files, the native suite, a short fuzz run, the Windows suite under
# Wine, and whether the run left the work tree as it found it.
#   scripts/run-tests.sh [STATE]   STATE: scripts/tree-state.sh's note from
#                                  before the run; without it the tree must
#                                  end clean
set -u
cd "$(dirname "$0")/.."

status=0
echo "== format of the files this change touches =="
scripts/format.sh --check || status=1
echo "== native tests =="
ctest --preset native || status=1
# The inputs that once found faults, then a fixed short fuzz run of each
# target (make fuzz runs the long one).
echo "== fuzzing the level code =="
scripts/run-fuzz.sh --short || status=1
echo "== Windows tests under Wine =="
scripts/with-wine-env ctest --preset windows || status=1
echo "== the work tree =="
scripts/tree-state.sh compare ${1:+"$1"} || status=1
exit $status
