#!/bin/bash
# Prints the programs' sizes as the release files carry them (stripped),
# beside the least programs built with what vrktool.exe links: strings and
# exceptions, one string stream, a CLI11 command line. It builds what is
# missing in the windows preset, and the static Linux vrktool when asked
# with --linux. Figures only: nothing here passes or fails on a size.
set -eu
cd "$(dirname "$0")/.."
cmake --preset windows >/dev/null
cmake --build --preset windows -j "${JOBS:-2}" --target vrktool Quillmarch \
  size_floor_strings size_floor_stream size_floor_cli >/dev/null
if [ "${1:-}" = --linux ]; then
  cmake --preset linux-dist >/dev/null
  cmake --build --preset linux-dist -j "${JOBS:-2}" >/dev/null
fi
stripped=$(mktemp)
trap 'rm -f "$stripped"' EXIT
size_of() {  # STRIP FILE LABEL
  "$1" -o "$stripped" "$2"
  printf '%-62s %10s\n' "$3" "$(stat -c %s "$stripped" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta')"
}
echo "== stripped sizes in bytes"
win=x86_64-w64-mingw32-strip
size_of $win build/windows/editor/Quillmarch.exe "Quillmarch.exe"
size_of $win build/windows/vrktool/vrktool.exe "vrktool.exe"
size_of $win build/windows/bench/size_floor_cli.exe "least: a CLI11 command line of one command and one argument"
size_of $win build/windows/bench/size_floor_stream.exe "least: one std::ostringstream"
size_of $win build/windows/bench/size_floor_strings.exe "least: strings, a vector and an exception"
if [ "${1:-}" = --linux ]; then
  size_of strip build/linux-dist/vrktool/vrktool "the static Linux vrktool"
fi
