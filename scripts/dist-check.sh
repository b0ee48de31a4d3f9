#!/bin/bash
# make dist-check: clones the current commit into two folders of different
# names, runs make dist in each and compares the release files byte for byte.
# Where they differ it shows the differing bytes, and for the zip the member
# files that differ.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
commit=$(git rev-parse HEAD) || exit 1
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "dist-check: uncommitted changes are not part of the check; it builds $commit"
fi
work=$root/build/dist-check
rm -rf "$work"
places=("$work/one" "$work/a second place")
status=0
for place in "${places[@]}"; do
  git clone -q --no-checkout "$root" "$place/quillmarch" || exit 1
  git -C "$place/quillmarch" checkout -q --detach "$commit" || exit 1
  echo "== make dist in $place/quillmarch"
  make -C "$place/quillmarch" dist JOBS="${JOBS:-2}" ${RELEASE_ADDRESS:+"RELEASE_ADDRESS=$RELEASE_ADDRESS"} >"$place/dist.log" 2>&1 || {
    echo "make dist failed in $place (log: $place/dist.log):"
    tail -n 20 "$place/dist.log"
    exit 1
  }
done

first=${places[0]}/quillmarch/dist second=${places[1]}/quillmarch/dist
# The manifests in winget/ and scoop/ too, by their paths.
list_files() { (cd "$1" && find . -type f | sed 's|^\./||' | sort); }
for file in $(list_files "$first"); do
  if cmp -s "$first/$file" "$second/$file"; then
    echo "identical: $file ($(stat -c %s "$first/$file") bytes, sha256 $(sha256sum <"$first/$file" | cut -c1-64))"
    continue
  fi
  status=1
  echo "DIFFERENT: $file; first differing bytes (offset, octal values):"
  cmp -l "$first/$file" "$second/$file" | head -n 20
  case "$file" in
    *.zip)
      mkdir -p "$work/unzip1" "$work/unzip2"
      (cd "$work/unzip1" && unzip -q "$first/$file") && (cd "$work/unzip2" && unzip -q "$second/$file")
      diff -r "$work/unzip1" "$work/unzip2" && echo "(the members are identical: the zip's own records differ)"
      zipinfo -v "$first/$file" >"$work/zipinfo1.txt"
      zipinfo -v "$second/$file" >"$work/zipinfo2.txt"
      diff "$work/zipinfo1.txt" "$work/zipinfo2.txt" | head -n 40 ;;
  esac
done
[ "$(list_files "$first")" = "$(list_files "$second")" ] || { echo "the two dist folders hold different files"; status=1; }
[ $status -eq 0 ] && echo "dist-check: both builds gave identical release files"
exit $status
