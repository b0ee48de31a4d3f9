#!/bin/bash
# Makes the Linux release files from a static vrktool:
#   packaging/make-linux-packages.sh VRKTOOL WORK_DIR OUT_DIR
# OUT_DIR receives vrktool-<version>-linux-x86_64.tar.gz and
# quillmarch-tools_<version>_amd64.deb (make-dist.sh adds them to SHA256SUMS).
# As for the Windows files, every time stamp is SOURCE_DATE_EPOCH (the last
# commit's date by default) and files go in by name, so the same sources give
# the same bytes.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: packaging/make-linux-packages.sh VRKTOOL WORK_DIR OUT_DIR" >&2
  exit 2
fi
tool=$1 work=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
. "$here/release-version.sh"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
export TZ=UTC LC_ALL=C
umask 022
rm -rf "$work" && mkdir -p "$work" "$out"

# The binary the release carries: stripped, and with no library to find.
strip --strip-all -o "$work/vrktool" "$tool"
if readelf -d "$work/vrktool" | grep -q NEEDED; then
  echo "make-linux-packages: $tool needs shared libraries:" >&2
  readelf -d "$work/vrktool" | grep NEEDED >&2
  exit 1
fi
# The man page from the tool's own help, so it says what the tool does.
help2man --no-info --no-discard-stderr --version-string="$version" \
  --name="looks at, checks and repairs .vrk level files" -o "$work/vrktool.1" "$work/vrktool"
sed "s/@QM_VERSION@/$version/" "$root/include/vrk.pc.in" >"$work/vrk.pc"

# Sets modes and times on a staged tree: stamp TREE
stamp() {
  find "$1" -type d -exec chmod 755 {} +
  find "$1" -type f -exec chmod 644 {} +
  chmod 755 "$1"/*/bin/vrktool "$1"/usr/bin/vrktool 2>/dev/null || true
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# The tarball: one folder named for the release.
top=vrktool-$version
t=$work/tar/$top
mkdir -p "$t/bin" "$t/include" "$t/share/man/man1" "$t/share/quillmarch-tools"
cp "$work/vrktool" "$t/bin/vrktool"
cp "$root/include/vrk.h" "$t/include/"
cp "$work/vrktool.1" "$t/share/man/man1/"
cp "$root/schema/level.schema.json" "$t/share/quillmarch-tools/"
sed "s/@VERSION@/$version/g" "$here/README-linux.txt" >"$t/README"
cp "$root/LICENSE" "$t/LICENSE"
cp "$root/CHANGELOG.md" "$t/CHANGELOG"
cp "$here/THIRD-PARTY-NOTICES.txt" "$t/THIRD-PARTY-NOTICES"
stamp "$work/tar"
tarball=$top-linux-x86_64.tar.gz
tar -C "$work/tar" --sort=name --owner=0 --group=0 --numeric-owner --format=gnu -cf - "$top" |
  gzip -9n >"$out/$tarball"

# The .deb, laid out as Debian installs it.
package=quillmarch-tools
d=$work/deb
doc=$d/usr/share/doc/$package
mkdir -p "$d/DEBIAN" "$d/usr/bin" "$d/usr/include" "$d/usr/share/man/man1" "$d/usr/share/pkgconfig" \
  "$d/usr/share/$package" "$doc"
cp "$work/vrktool" "$d/usr/bin/vrktool"
cp "$root/include/vrk.h" "$d/usr/include/"
gzip -9n <"$work/vrktool.1" >"$d/usr/share/man/man1/vrktool.1.gz"
cp "$work/vrk.pc" "$d/usr/share/pkgconfig/"
cp "$root/schema/level.schema.json" "$d/usr/share/$package/"
maintainer="The Quillmarch authors <quillmarch@users.noreply.invalid>"
date=$(date -u -d "@$SOURCE_DATE_EPOCH" -R)
{
  echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  echo "Upstream-Name: Quillmarch"
  echo
  echo "Files: *"
  echo "Copyright: 2026 The Quillmarch authors"
  echo "License: Expat"
  sed -e '1,/^Permission/{/^Permission/!d}' -e 's/^$/./' -e 's/^/ /' "$root/LICENSE"
  echo
  echo "Comment: /usr/bin/vrktool is linked statically; the libraries inside it and their"
  echo " licences (GNU C Library: LGPL-2.1+; GCC runtime: GPL-3+ with the runtime exception;"
  echo " nlohmann/json, stb, CLI11) are in /usr/share/doc/$package/THIRD-PARTY-NOTICES.gz."
} >"$doc/copyright"
gzip -9n <"$here/THIRD-PARTY-NOTICES.txt" >"$doc/THIRD-PARTY-NOTICES.gz"
# The one binary of both Linux files is static on purpose: the tarball's runs
# on any x86-64 Linux, and the .deb carries the same bytes.
mkdir -p "$d/usr/share/lintian/overrides"
cat >"$d/usr/share/lintian/overrides/$package" <<'OVERRIDES'
# The same static vrktool as the tarball's, which must run on any x86-64 Linux.
statically-linked-binary [usr/bin/vrktool]
OVERRIDES
# A native package's changelog, in Debian's form, with the project's own
# changelog as its entry.
{
  echo "$package ($version) unstable; urgency=medium"
  echo
  echo "  * Quillmarch $version. The project's changelog:"
  sed -e 's/[[:space:]]*$//' "$root/CHANGELOG.md" | fold -s -w 76 | sed -e 's/[[:space:]]*$//' -e 's/^\(.\)/    \1/'
  echo
  echo " -- $maintainer  $date"
} | gzip -9n >"$doc/changelog.gz"
size=$(du -sk --apparent-size "$d/usr" | cut -f1)
cat >"$d/DEBIAN/control" <<CONTROL
Package: $package
Version: $version
Architecture: amd64
Maintainer: $maintainer
Installed-Size: $size
Section: devel
Priority: optional
Description: command-line tool and C reader for VRK Engine levels
 vrktool looks at, checks and repairs .vrk level files, as made by the
 Quillmarch level editor: info, check, portals, render, build, diff, merge
 and git-setup (a merge driver and pre-commit hook for levels in git).
 .
 vrk.h is a single-header C99 reader of .vrk files for engines, with a
 pkg-config file; level.schema.json is the JSON Schema of the level documents
 vrktool prints and builds from.
CONTROL
stamp "$d"
chmod 755 "$d/usr/bin/vrktool"
(cd "$d" && find usr -type f | sort | xargs md5sum >DEBIAN/md5sums)
chmod 644 "$d/DEBIAN/control" "$d/DEBIAN/md5sums"
touch -d "@$SOURCE_DATE_EPOCH" "$d/DEBIAN" "$d/DEBIAN/control" "$d/DEBIAN/md5sums"
deb=${package}_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$d" "$out/$deb" >/dev/null
for f in "$tarball" "$deb"; do
  printf '%-40s %9d bytes  sha256 %s\n' "$f" "$(stat -c %s "$out/$f")" "$(sha256sum <"$out/$f" | cut -c1-64)"
done
printf '%-40s %9d bytes\n' "vrktool (Linux, stripped)" "$(stat -c %s "$work/vrktool")"
