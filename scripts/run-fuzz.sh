#!/bin/bash
# Fuzzes the level code with libFuzzer under ASan and UBSan. Four targets:
#   level_reader_fuzz  the reader, the writer, the portal builder and the
#                      checks of vrktool check, all in memory: the fast one,
#                      which gets most of the runs
#   level_file_fuzz    loading and saving through real files, each save
#                      flushed: slow, so it gets fewer runs
#   level_json_fuzz    the reader of level documents behind vrktool build
#   vrk_reader_fuzz    vrk.h, the reader for engines, against the level core
#                      on the same bytes
#
#   scripts/run-fuzz.sh            make fuzz: 10,000,000 runs of the reader
#                                  target, then 50,000 through files,
#                                  1,000,000 of documents and 1,000,000
#                                  through vrk.h
#   scripts/run-fuzz.sh SECONDS    by time instead: 70 % of SECONDS to the
#                                  reader target, 10 % to each of the others
#   scripts/run-fuzz.sh --short    make test's run: every input in
#                                  tests/fuzz/regressions replayed, then a fixed
#                                  number of runs of each target with a fixed
#                                  seed from the committed inputs alone, so
#                                  the verdict is the same every time
#   --coverage                     afterwards, the line coverage of the code
#                                  under test over what the run kept
#
# It builds the fuzz preset and first checks that the committed seed levels
# are still what tests/fuzz/make_fuzz_corpus makes. The long runs keep new
# inputs in build/fuzz/corpus, file-corpus and json-corpus for next time.
# Any crash, leak, failed check or undefined behaviour fails the run; the
# input is kept in build/fuzz/artifacts and the command that replays it is
# printed. An input that finds a fault, once the fault is mended, belongs
# in tests/fuzz/regressions/<target> (see the README there).
set -u
cd "$(dirname "$0")/.."

usage() { echo "usage: scripts/run-fuzz.sh [SECONDS | --short] [--coverage]" >&2; exit 2; }
mode=runs
seconds=
coverage=0
for arg in "$@"; do
  case "$arg" in
    --short) mode=short ;;
    --coverage) coverage=1 ;;
    ''|*[!0-9]*) usage ;;
    *) mode=time; seconds=$arg ;;
  esac
done
[ "$mode" = short ] && [ -n "$seconds" ] && usage

build=build/fuzz
bin=$build/tests/fuzz
regressions=tests/fuzz/regressions
cmake --preset fuzz >/dev/null || exit 1
targets="--target level_reader_fuzz --target level_file_fuzz --target level_json_fuzz --target vrk_reader_fuzz"
targets="$targets --target make_fuzz_corpus"
cmake --build --preset fuzz -j "${JOBS:-2}" $targets >/dev/null || { cmake --build --preset fuzz -j 1 $targets; exit 1; }

# The seeds are made by the level code itself; a change there that alters
# them shows here rather than going unnoticed.
seeds=$build/seeds
rm -rf "$seeds" && mkdir -p "$seeds"
$bin/make_fuzz_corpus "$seeds" || { echo "Making the seed levels failed (see above)"; exit 1; }
if ! diff -r "$seeds" tests/fuzz/corpus >/dev/null; then
  echo "The seed levels in tests/fuzz/corpus differ from what make_fuzz_corpus makes now:"
  diff -rq "$seeds" tests/fuzz/corpus
  echo "If the change is intended: $bin/make_fuzz_corpus tests/fuzz/corpus"
  exit 1
fi

mkdir -p $build/corpus $build/file-corpus $build/json-corpus $build/vrk-corpus $build/artifacts
# The examples' levels seed the level targets, their JSON sources the documents.
example_seeds=$build/example-seeds json_seeds=$build/json-seeds
rm -rf "$example_seeds" "$json_seeds" && mkdir -p "$example_seeds" "$json_seeds"
cp examples/*.vrk "$example_seeds"/ 2>/dev/null
cp examples/*.json "$json_seeds"/ 2>/dev/null
level_seeds="tests/fuzz/corpus $example_seeds"

# Replays the inputs that once found faults: replay NAME TARGET DIR
replay() {
  local name=$1 binary=$bin/$2 log=$build/replay-$2.log
  local inputs=("$3"/*)
  [ -f "${inputs[0]}" ] || { echo "No inputs in $3"; return 1; }
  if $binary -artifact_prefix=$build/artifacts/ "${inputs[@]}" >"$log" 2>&1; then
    echo "Replayed the ${#inputs[@]} inputs in $3 that once found faults ($name): none fails"
    return 0
  fi
  echo "REPLAY FAILED: $(grep '^Running: ' "$log" | tail -n 1 | sed 's/^Running: //') (log: $log)"
  grep -E 'ERROR|runtime error|SUMMARY|\.cpp:[0-9]+: ' "$log" | head -n 20
  return 1
}

# Runs one fuzzer: run_fuzzer NAME TARGET LOG OPTIONS-AND-CORPORA...
run_fuzzer() {
  local name=$1 binary=$bin/$2 log=$3
  shift 3
  echo "Fuzzing $name (log: $log)"
  local started=$SECONDS
  # Without address randomisation a fixed seed gives the same runs every time.
  local launch=""
  [ "$mode" = short ] && launch="setarch $(uname -m) -R"
  $launch $binary -timeout=10 -print_final_stats=1 -artifact_prefix=$build/artifacts/ "$@" >"$log" 2>&1
  local status=$?
  local last execs rate
  last=$(grep -E '^#[0-9]+[[:space:]]' "$log" | tail -n 1 | tr '\t' ' ')
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "executions: ${execs:-?}  per second: ${rate:-?}  in $((SECONDS - started)) s"
  echo "last status: ${last:-none}"
  total_execs=$((total_execs + ${execs:-0}))
  if [ $status -ne 0 ]; then
    echo "FUZZING FAILED (exit $status):"
    grep -E 'ERROR|runtime error|SUMMARY|FUZZ|\.cpp:[0-9]+: ' "$log" | head -n 20
    local artifact
    artifact=$(sed -n "s/.*Test unit written to \(.*\)/\1/p" "$log" | tail -n 1)
    [ -n "$artifact" ] && echo "Replay: $binary $artifact"
  fi
  return $status
}

# How long each target runs: its runs, or its share of the seconds given.
# Runs through files are flushed to storage, so they come fewer.
length() {
  case $mode in
    runs) echo "-runs=$1" ;;
    time) echo "-max_total_time=$(( (seconds * $2 + 99) / 100 ))" ;;
    short) echo "-runs=$3 -seed=1 -reload=0" ;;
  esac
}
reader_length=$(length 10000000 70 10000)
file_length=$(length 50000 10 1000)
json_length=$(length 1000000 10 20000)
vrk_length=$(length 1000000 10 20000)

vrk_regressions=$regressions/vrk_reader
total_execs=0
started=$SECONDS
if [ "$mode" = short ]; then
  replay "the level reader" level_reader_fuzz $regressions/level_reader || exit 1
  replay "loading and saving files" level_file_fuzz $regressions/level_file || exit 1
  replay "the level documents" level_json_fuzz $regressions/level_json || exit 1
  replay "vrk.h against the level core" vrk_reader_fuzz $vrk_regressions || exit 1
  # A fresh folder for what the fixed run finds, so nothing kept from an
  # earlier run changes its course.
  reader_corpus=$build/short/reader file_corpus=$build/short/file json_corpus=$build/short/json
  vrk_corpus=$build/short/vrk
  rm -rf $build/short && mkdir -p $reader_corpus $file_corpus $json_corpus $vrk_corpus
  file_seeds="$level_seeds"
  # Time is spent where inputs run fast; that depends on the machine, so
  # the fixed run goes without it.
  scale=""
else
  reader_corpus=$build/corpus file_corpus=$build/file-corpus json_corpus=$build/json-corpus
  vrk_corpus=$build/vrk-corpus
  # What the fast target found seeds the slow one.
  file_seeds="$build/corpus $level_seeds"
  # Levels with many sectors cost the quadratic portal search and pair
  # checks many times over; given time by speed, the small ones get most.
  scale="-entropic_scale_per_exec_time=1"
fi

# Records beyond 9 + 10 x 256 bytes are only ever portals or trailing
# bytes, so longer inputs add nothing but time.
run_fuzzer "the level reader, in memory" level_reader_fuzz $build/fuzz.log $reader_length -max_len=4096 $scale \
  $reader_corpus $level_seeds $regressions/level_reader || exit 1
run_fuzzer "loading and saving through files" level_file_fuzz $build/file-fuzz.log $file_length -max_len=4096 \
  $scale $file_corpus $file_seeds $regressions/level_file || exit 1
run_fuzzer "the level documents of vrktool build" level_json_fuzz $build/json-fuzz.log $json_length -max_len=8192 \
  -dict=tests/fuzz/level_json.dict $json_corpus "$json_seeds" $regressions/level_json || exit 1
run_fuzzer "vrk.h against the level core" vrk_reader_fuzz $build/vrk-fuzz.log $vrk_length -max_len=4096 $scale \
  $vrk_corpus $level_seeds $vrk_regressions || exit 1
echo "All targets: $total_execs executions in $((SECONDS - started)) s"
if [ "$mode" != short ]; then
  for corpus in $reader_corpus $file_corpus $json_corpus $vrk_corpus; do
    echo "corpus: $(ls $corpus | wc -l) inputs in $corpus"
  done
fi

if [ $coverage -eq 1 ]; then
  # A second build of the same targets with source coverage, run once over
  # what each was given and found; llvm-cov then reports the lines reached.
  cov=build/fuzz-coverage
  cmake -S . -B $cov -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DQM_FUZZ=ON -DQM_FUZZ_COVERAGE=ON >/dev/null || exit 1
  cmake --build $cov -j "${JOBS:-2}" --target level_reader_fuzz --target level_file_fuzz \
    --target level_json_fuzz --target vrk_reader_fuzz >/dev/null || exit 1
  rm -f $cov/*.profraw
  run_covered() {
    LLVM_PROFILE_FILE="$cov/$1-%p.profraw" $cov/tests/fuzz/$1 -runs=0 "${@:2}" >/dev/null 2>&1 ||
      { echo "coverage run of $1 failed"; exit 1; }
  }
  run_covered level_reader_fuzz $reader_corpus $level_seeds $regressions/level_reader
  run_covered level_file_fuzz $file_corpus $file_seeds $regressions/level_file
  run_covered level_json_fuzz $json_corpus "$json_seeds" $regressions/level_json
  run_covered vrk_reader_fuzz $vrk_corpus $level_seeds $vrk_regressions
  llvm-profdata merge -sparse $cov/*.profraw -o $cov/fuzz.profdata || exit 1
  echo "Line coverage of the level code, vrktool's checks and documents and vrk.h, over all four targets:"
  llvm-cov report $cov/tests/fuzz/level_reader_fuzz -object $cov/tests/fuzz/level_file_fuzz \
    -object $cov/tests/fuzz/level_json_fuzz -object $cov/tests/fuzz/vrk_reader_fuzz -instr-profile=$cov/fuzz.profdata \
    level/*.cpp vrktool/core/level_check.cpp vrktool/core/raw_level.cpp vrktool/core/level_json.cpp include/vrk.h |
    sed 's|^/.*/\(level\|vrktool\|include\)/|\1/|'
fi
exit 0
