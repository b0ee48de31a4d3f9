#!/bin/bash
# What a run changed in the work tree, as git sees it. A run must leave the
# tree as it found it: test output belongs in build/.
#   scripts/tree-state.sh save FILE      notes the state before the run
#   scripts/tree-state.sh compare FILE   after it: lists the files whose state
#                                        changed and fails; without FILE the
#                                        tree must be clean
set -u
cd "$(dirname "$0")/.."

# One line per path git reports, with a hash of its content, so a file that
# was already modified and is changed again shows as well.
state() {
  git status --porcelain=v1 -z --untracked-files=all | tr '\0' '\n' | {
    skip=0
    while IFS= read -r entry; do
      # A rename or copy is followed by its source path: not an entry.
      if [ $skip -eq 1 ]; then skip=0; continue; fi
      case "$entry" in R*|C*) skip=1 ;; esac
      path=${entry:3}
      hash=-
      [ -f "$path" ] && hash=$(git hash-object -- "$path")
      printf '%s %s\n' "$entry" "$hash"
    done
  } | sort
}

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "tree-state: not a git work tree; nothing checked"
  exit 0
fi
case "${1:-}" in
  save)
    [ $# -eq 2 ] || { echo "usage: scripts/tree-state.sh save FILE" >&2; exit 2; }
    state >"$2" ;;
  compare)
    before=/dev/null
    [ $# -ge 2 ] && [ -f "$2" ] && before=$2
    changed=$(state | comm -13 "$before" -)
    gone=$(state | comm -23 "$before" -)
    if [ -n "$changed$gone" ]; then
      echo "The run changed the work tree (git status --porcelain, then the content's hash):"
      [ -n "$changed" ] && echo "$changed" | sed 's/^/  /'
      [ -n "$gone" ] && echo "$gone" | sed 's/^/  no longer: /'
      exit 1
    fi
    echo "The work tree is as the run found it." ;;
  *)
    echo "usage: scripts/tree-state.sh save|compare FILE" >&2
    exit 2 ;;
esac
