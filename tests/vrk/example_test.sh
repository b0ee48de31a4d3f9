#!/bin/bash
# vrk.h as an engine gets it: installed under a scratch prefix, found through
# pkg-config, compiled as C99 and as C++ with every warning an error, and
# the example program reading each example level as `vrktool info` does.
#   example_test.sh BUILD-DIR SOURCE-DIR VRKTOOL CC CXX
set -u
build=$1 source=$2 vrktool=$3 cc=$4 cxx=$5
work=$build/vrk-example
prefix=$work/prefix
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install (see $work/install.log)"
cflags=$(PKG_CONFIG_PATH=$prefix/share/pkgconfig pkg-config --cflags vrk) || fail "pkg-config --cflags vrk"
[ -f "$prefix/include/vrk.h" ] || fail "expected $prefix/include/vrk.h installed, it is not"

warnings="-Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wcast-qual -Werror"
"$cc" -std=c99 $warnings -Wstrict-prototypes -Wmissing-prototypes $cflags "$source/examples/print_level.c" \
  -o "$work/print_level" || fail "the example does not compile as C99 without warnings"
printf '#define VRK_IMPLEMENTATION\n#include <vrk.h>\n' >"$work/vrk_cxx.cpp"
"$cxx" -std=c++11 $warnings -Wold-style-cast -Wuseless-cast -Wzero-as-null-pointer-constant $cflags \
  -c "$work/vrk_cxx.cpp" -o "$work/vrk_cxx.o" || fail "vrk.h does not compile as C++ without warnings"

for level in "$source"/examples/*.vrk; do
  "$work/print_level" "$level" >"$work/printed" 2>"$work/errors" || fail "print_level $level: exit $?"
  "$vrktool" info "$level" >"$work/info" || fail "vrktool info $level: exit $?"
  head -n -1 "$work/printed" | diff -u "$work/info" - || fail "$level: expected vrktool info's lines (-), got (+)"
  count=$(grep -c '^portal ' "$work/info")
  expected="derived portals: $count, as stored"
  actual=$(tail -n 1 "$work/printed")
  [ "$actual" = "$expected" ] || fail "$level: expected '$expected', got '$actual'"
done

# A refusal comes with its message and leaves the program's exit code at 1.
head -c 5 "$source/examples/hall.vrk" >"$work/cut.vrk"
"$work/print_level" "$work/cut.vrk" >/dev/null 2>"$work/errors"
status=$?
expected="$work/cut.vrk: The file is shorter than the 9-byte header."
[ $status -eq 1 ] && [ "$(cat "$work/errors")" = "$expected" ] ||
  fail "a 5-byte file: expected exit 1 and '$expected', got exit $status and '$(cat "$work/errors")'"
echo "vrk.h: installed, compiled as C and C++, the example reads $(ls "$source"/examples/*.vrk | wc -l) levels as vrktool info does"
