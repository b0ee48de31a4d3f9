#!/bin/bash
# The Linux release files in DIST as a user gets them:
#   linux_release_test.sh DIST EXAMPLES-DIR
# the tarball holds one folder with exactly the files it should, its vrktool
# needs no shared library and checks the examples with an empty environment;
# the man page names every command and the exit codes; the .deb installs
# exactly its files, and lintian finds no error in it (its output is shown).
set -u
dist=$1 examples=$2
fail() { echo "FAIL: $*"; exit 1; }
tarball=$(ls "$dist"/vrktool-*-linux-x86_64.tar.gz 2>/dev/null | head -n 1)
deb=$(ls "$dist"/quillmarch-tools_*_amd64.deb 2>/dev/null | head -n 1)
# ctest skips it (77) before make dist has made them; make dist always runs it.
[ -n "$tarball" ] && [ -n "$deb" ] || { echo "SKIP: no Linux release files in $dist: run make dist"; exit 77; }
version=${tarball##*/vrktool-}
version=${version%-linux-x86_64.tar.gz}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

top=vrktool-$version
expected="$top/ $top/CHANGELOG $top/LICENSE $top/README $top/THIRD-PARTY-NOTICES $top/bin/ $top/bin/vrktool
$top/include/ $top/include/vrk.h $top/share/ $top/share/man/ $top/share/man/man1/ $top/share/man/man1/vrktool.1
$top/share/quillmarch-tools/ $top/share/quillmarch-tools/level.schema.json"
actual=$(tar -tzf "$tarball" | sort | tr '\n' ' ')
[ "$actual" = "$(echo $expected | tr ' ' '\n' | sort | tr '\n' ' ')" ] ||
  fail "the tarball's entries: expected $expected, got $actual"

# Unpacked anywhere, run with nothing set: no loader path, no locale, no PATH.
mkdir -p "$work/any where" && tar -xzf "$tarball" -C "$work/any where"
tool="$work/any where/$top/bin/vrktool"
needed=$(readelf -d "$tool" | grep NEEDED)
[ -z "$needed" ] || fail "expected no NEEDED libraries, got: $needed"
out=$(env -i "$tool" --version)
[ "$out" = "vrktool $version" ] || fail "env -i vrktool --version: expected 'vrktool $version', got '$out'"
env -i "$tool" check "$examples"/*.vrk >"$work/check" 2>&1 || fail "env -i vrktool check: exit $?: $(cat "$work/check")"

man=$(MANWIDTH=200 man -l "$work/any where/$top/share/man/man1/vrktool.1" 2>/dev/null || cat "$work/any where/$top/share/man/man1/vrktool.1")
for word in info check portals render build diff merge git-setup "Exit codes"; do
  grep -q -- "$word" <<<"$man" || fail "the man page does not name '$word'"
done

expected="./usr/bin/vrktool ./usr/include/vrk.h ./usr/share/doc/quillmarch-tools/THIRD-PARTY-NOTICES.gz
./usr/share/doc/quillmarch-tools/changelog.gz ./usr/share/doc/quillmarch-tools/copyright
./usr/share/lintian/overrides/quillmarch-tools ./usr/share/man/man1/vrktool.1.gz ./usr/share/pkgconfig/vrk.pc
./usr/share/quillmarch-tools/level.schema.json"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort | tr '\n' ' ')
[ "$actual" = "$(echo $expected | tr ' ' '\n' | sort | tr '\n' ' ')" ] || fail "the .deb's files: expected $expected, got $actual"
dpkg-deb -x "$deb" "$work/root"
cflags=$(echo $(PKG_CONFIG_PATH=$work/root/usr/share/pkgconfig pkg-config --cflags vrk))
[ "$(readlink -f "${cflags#-I}")" = "$(readlink -f "$work/root/usr/include")" ] ||
  fail "pkg-config --cflags vrk from the .deb: expected -I<root>/usr/include, got $cflags"

lintian --no-cfg --show-overrides "$deb" 2>&1 | grep -v 'running with root privileges' >"$work/lintian"
echo "lintian $deb:"
cat "$work/lintian"
grep -q '^E: ' "$work/lintian" && fail "lintian reports errors"
echo "the Linux release files: the tarball's $(tar -tzf "$tarball" | wc -l) entries, its static vrktool, the .deb's files and lintian as expected"
