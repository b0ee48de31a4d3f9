#!/bin/bash
# Fuzzes the level reader and the reader of level documents (vrktool
# build) for the given number of seconds in all (default 600), half each.
#   scripts/run-fuzz.sh [SECONDS] [--coverage]
# Builds the fuzz preset (clang, libFuzzer, ASan, UBSan), checks that the
# committed seed levels are still what tests/fuzz/make_fuzz_corpus makes,
# then fuzzes the reader with those seeds and the example levels, and the
# document reader with the examples' JSON sources. New inputs collect in
# build/fuzz/corpus and build/fuzz/json-corpus and are reused next time. Any crash, leak, failed
# check or undefined behaviour fails the run; the input is kept in
# build/fuzz/artifacts and the command that replays it is printed.
# --coverage then measures the line coverage of the code under test over
# that corpus.
set -u
cd "$(dirname "$0")/.."

seconds=600
coverage=0
for arg in "$@"; do
  case "$arg" in
    --coverage) coverage=1 ;;
    ''|*[!0-9]*) echo "usage: scripts/run-fuzz.sh [SECONDS] [--coverage]" >&2; exit 2 ;;
    *) seconds=$arg ;;
  esac
done

build=build/fuzz
fuzzer=$build/tests/fuzz/level_reader_fuzz
cmake --preset fuzz >/dev/null || exit 1
json_fuzzer=$build/tests/fuzz/level_json_fuzz
targets="--target level_reader_fuzz --target level_json_fuzz --target make_fuzz_corpus"
cmake --build --preset fuzz -j "${JOBS:-2}" $targets >/dev/null || { cmake --build --preset fuzz -j 1 $targets; exit 1; }

# The seeds are made by the level code itself; a change there that alters
# them shows here rather than going unnoticed.
seeds=$build/seeds
rm -rf "$seeds" && mkdir -p "$seeds"
$build/tests/fuzz/make_fuzz_corpus "$seeds" || { echo "Making the seed levels failed (see above)"; exit 1; }
if ! diff -r "$seeds" tests/fuzz/corpus >/dev/null; then
  echo "The seed levels in tests/fuzz/corpus differ from what make_fuzz_corpus makes now:"
  diff -rq "$seeds" tests/fuzz/corpus
  echo "If the change is intended: $build/tests/fuzz/make_fuzz_corpus tests/fuzz/corpus"
  exit 1
fi

mkdir -p $build/corpus $build/json-corpus $build/artifacts
# The examples' levels seed the reader, their JSON sources the documents.
example_seeds=$build/example-seeds json_seeds=$build/json-seeds
rm -rf "$example_seeds" "$json_seeds" && mkdir -p "$example_seeds" "$json_seeds"
cp examples/*.vrk "$example_seeds"/ 2>/dev/null
cp examples/*.json "$json_seeds"/ 2>/dev/null
seed_dirs="tests/fuzz/corpus $example_seeds"

# Runs one fuzzer: run_fuzzer NAME BINARY SECONDS LOG OPTIONS-AND-CORPORA...
run_fuzzer() {
  local name=$1 binary=$2 time=$3 log=$4
  shift 4
  echo "Fuzzing $name for $time s (log: $log)"
  $binary -max_total_time="$time" -timeout=10 -print_final_stats=1 \
    -artifact_prefix=$build/artifacts/ "$@" >"$log" 2>&1
  local status=$?
  local last execs rate
  last=$(grep -E '^#[0-9]+[[:space:]]' "$log" | tail -n 1 | tr '\t' ' ')
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "executions: ${execs:-?}  per second: ${rate:-?}"
  echo "last status: ${last:-none}"
  if [ $status -ne 0 ]; then
    echo "FUZZING FAILED (exit $status):"
    grep -E 'ERROR|runtime error|SUMMARY|FUZZ|\.cpp:[0-9]+: ' "$log" | head -n 20
    local artifact
    artifact=$(sed -n "s/.*Test unit written to \(.*\)/\1/p" "$log" | tail -n 1)
    [ -n "$artifact" ] && echo "Replay: $binary $artifact"
  fi
  return $status
}

half=$(( (seconds + 1) / 2 ))
# Records beyond 9 + 10 x 256 bytes are only ever portals or trailing
# bytes, so longer inputs add nothing but time.
run_fuzzer "the level reader" $fuzzer $half $build/fuzz.log -max_len=4096 $build/corpus $seed_dirs || exit 1
echo "corpus: $(ls $build/corpus | wc -l) inputs in $build/corpus"
run_fuzzer "the level documents of vrktool build" $json_fuzzer $half $build/json-fuzz.log -max_len=8192 \
  -dict=tests/fuzz/level_json.dict $build/json-corpus "$json_seeds" || exit 1
echo "corpus: $(ls $build/json-corpus | wc -l) inputs in $build/json-corpus"

if [ $coverage -eq 1 ]; then
  # A second build of the same target with source coverage, run once over
  # the corpus; llvm-cov then reports the lines of level/ that were reached.
  cov=build/fuzz-coverage
  cmake -S . -B $cov -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQM_FUZZ=ON -DQM_FUZZ_COVERAGE=ON >/dev/null || exit 1
  cmake --build $cov -j "${JOBS:-2}" --target level_reader_fuzz >/dev/null || exit 1
  rm -f $cov/*.profraw
  LLVM_PROFILE_FILE="$cov/fuzz-%p.profraw" $cov/tests/fuzz/level_reader_fuzz -runs=0 \
    $build/corpus $seed_dirs >/dev/null 2>&1 || { echo "coverage run failed"; exit 1; }
  llvm-profdata merge -sparse $cov/*.profraw -o $cov/fuzz.profdata || exit 1
  echo "Line coverage of the reader, writer, portal builder and vrktool's checks over the corpus:"
  llvm-cov report $cov/tests/fuzz/level_reader_fuzz -instr-profile=$cov/fuzz.profdata \
    level/*.cpp vrktool/level_check.cpp vrktool/level_image.cpp | sed 's|^/.*/\(level\|vrktool\)/|\1/|'
fi
exit 0
