#!/bin/bash
# Formats the C++ files this change touches with .clang-format (make format),
# or with --check lists those that differ from it and shows how (make test).
#
# The files a change touches: those that differ between the work tree and the
# point where this branch left main (commits, staged and unstaged changes),
# plus new files git does not ignore. Where there is nothing since that point,
# as on a clean checkout of main itself, they are the files of the last
# commit. QM_FORMAT_BASE names another branch to measure from.
# Files nobody touched are left as they are.
set -u
cd "$(dirname "$0")/.."
check=0
case "${1:-}" in
  --check) check=1 ;;
  '') ;;
  *) echo "usage: scripts/format.sh [--check]" >&2; exit 2 ;;
esac

formatter=$(command -v clang-format-14 || command -v clang-format) || {
  echo "format: clang-format is missing (Debian: clang-format); make test installs it" >&2
  exit 1
}
case "$("$formatter" --version)" in
  *"version 14."*) ;;
  *) echo "format: $("$formatter" --version) is not clang-format 14, whose layout .clang-format describes" ;;
esac

if ! git rev-parse --verify -q HEAD >/dev/null; then
  echo "format: not a git checkout with a commit; nothing to check"
  exit 0
fi
base=""
for branch in ${QM_FORMAT_BASE:-} main origin/main; do
  if git rev-parse --verify -q "$branch^{commit}" >/dev/null; then
    base=$(git merge-base HEAD "$branch") && break
  fi
done
if [ -z "$base" ] || [ "$base" = "$(git rev-parse HEAD)" ]; then
  base=$(git rev-parse --verify -q HEAD~1) || base=$(git hash-object -t tree /dev/null)
fi
mapfile -t files < <({
  git diff --name-only --diff-filter=d "$base" --
  git ls-files --others --exclude-standard
} | grep -E '\.(cpp|h|cc|hpp)$' | sort -u)

if [ ${#files[@]} -eq 0 ]; then
  echo "format: no C++ file changed since $(git rev-parse --short "$base")"
  exit 0
fi
if [ $check -eq 0 ]; then
  "$formatter" -i "${files[@]}" && echo "format: formatted ${#files[@]} file(s) changed since $(git rev-parse --short "$base")"
  exit
fi
bad=0
difference=$(mktemp)
trap 'rm -f "$difference"' EXIT
for f in "${files[@]}"; do
  if ! "$formatter" "$f" | diff -u --label "$f" --label "$f, formatted" "$f" - >"$difference"; then
    [ $bad -eq 0 ] && echo "These files differ from .clang-format; 'make format' formats them:"
    bad=1
    head -n 40 "$difference"
    lines=$(wc -l <"$difference")
    [ "$lines" -gt 40 ] && echo "... ($((lines - 40)) more lines of difference)"
  fi
done
[ $bad -eq 0 ] && echo "format: the ${#files[@]} C++ file(s) changed since $(git rev-parse --short "$base") are formatted"
exit $bad
