#!/bin/bash
# Levels in git, with a real git in new repositories: the walk-through of
# docs/level-repositories.md run block by block, the README's "Levels in
# git" steps followed with two branches that each add a room, the hook's
# refusal of staged content, a foreign hook kept, and git-setup run twice.
#   level_repository_test.sh VRKTOOL SOURCE_DIR
set -u
# Whole paths, so it runs by hand from any folder as from ctest.
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export PATH="$(dirname "$tool"):$PATH" HOME="$work" GIT_CONFIG_NOSYSTEM=1
export GIT_AUTHOR_NAME=Designer GIT_AUTHOR_EMAIL=designer@example.com
export GIT_COMMITTER_NAME=Designer GIT_COMMITTER_EMAIL=designer@example.com
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_in() { grep -qF -- "$2" "$1" || fail "$3: expected \"$2\" in: $(cat "$1")"; }

# Runs each ```sh block of FILE's lines from the heading START to the next
# heading of its level in folder REPO, one bash -e each, in order; a block
# marked exit=1 must end with 1. Block N's output is left in REPO.N.out.
run_blocks() {
    local file=$1 start=$2 repo=$3 blocks=$work/blocks.$RANDOM
    mkdir -p "$blocks" "$repo"
    awk -v start="$start" -v dir="$blocks" '
        $0 == start { inside = 1; depth = index($0, " "); next }
        inside && /^#+ / && index($0, " ") <= depth { inside = 0 }
        inside && /^```sh/ { n++; file = sprintf("%s/%02d.%d", dir, n, $0 ~ /exit=1/); printf "" > file; block = 1; next }
        block && /^```/ { block = 0; next }
        block { print > file }' "$file"
    local block
    for block in "$blocks"/*; do
        local n=${block##*/} expected=${block##*.}
        (cd "$repo" && bash -e "$block") >"$repo.${n%.*}.out" 2>&1
        local status=$?
        [ "$status" -eq "$expected" ] || fail "$file, block ${n%.*}: exit $status, expected $expected: $(cat "$repo.${n%.*}.out")"
    done
    [ -n "$(ls "$blocks")" ] || fail "$file: no blocks under $start"
}

# The sectors of a level at a revision, as info prints them.
sectors_at() { git -C "$1" show "$2:hall.vrk" >"$work/at.vrk" && vrktool info "$work/at.vrk" | grep '^sector '; }

HALL='{"left": 0, "top": 0, "right": 8, "bottom": 6, "floorHeight": 0, "ceilingHeight": 96}'
EAST='{"left": 8, "top": 1, "right": 12, "bottom": 5, "floorHeight": 8, "ceilingHeight": 80}'
SOUTH='{"left": 2, "top": 6, "right": 6, "bottom": 10, "floorHeight": 16, "ceilingHeight": 96}'
# save REPO SECTOR...: hall.vrk with these sectors, start in the hall.
save() {
    local repo=$1 sectors=$2
    shift 2
    for s in "$@"; do sectors="$sectors, $s"; done
    echo "{\"version\": 2, \"startX\": 2, \"startY\": 2, \"sectors\": [$sectors]}" >"$work/level.json"
    vrktool build "$work/level.json" -o "$repo/hall.vrk"
}

# The page, as written.
doc=$work/doc
run_blocks "$source/docs/level-repositories.md" "# Levels in a git repository" "$doc"
expect_in "$doc.04.out" "+sector 1: left 2 top 6 right 6 bottom 10 floorHeight 16 ceilingHeight 96" "textconv in git log -p"
sectors_at "$doc" main >"$work/main.txt"
expect_in "$work/main.txt" "left 8 top 1 right 12 bottom 5" "Alice's room on main"
expect_in "$work/main.txt" "left 2 top 6 right 6 bottom 10" "Bob's room on main"
conflict="hall.vrk: conflict: sector left 2 top 6 right 6 bottom 10 changed on both sides: base floorHeight 16 ceilingHeight 96, ours floorHeight 4 ceilingHeight 96, theirs floorHeight 24 ceilingHeight 96; ours kept"
expect_in "$doc.07.out" "$conflict" "the merge driver's conflict"
expect_in "$doc.07.out" "CONFLICT (content): Merge conflict in hall.vrk" "git stops"
expect_in "$doc.10.out" "$conflict" "vrktool merge by hand"
sectors_at "$doc" dave >"$work/dave.txt"
expect_in "$work/dave.txt" "left 2 top 6 right 6 bottom 10 floorHeight 4" "ours' side kept in the merged level"
expect_in "$doc.12.out" "changed sector 2: left 2 top 6 right 6 bottom 10 floorHeight 16 -> 4 ceilingHeight 96" "diff"
expect_in "$doc.14.out" "diff --vrk a/hall.vrk b/hall.vrk" "diff as git's external diff"
expect_in "$doc/review/index.md" "| \`hall.vrk\` | modified | 0 | 0 | 1 | no | 0 | [01-hall.png](01-hall.png), [3D](01-hall-3d.png) |" "CI: the review's row"
[ -s "$doc/review/01-hall.png" ] || fail "CI: no review/01-hall.png"

# two_rooms REPO WHAT: two branches that each add a room to a hall, merged.
two_rooms() {
    local repo=$1
    save "$repo" "$HALL" && git -C "$repo" add -A && git -C "$repo" commit -q -m hall
    git -C "$repo" checkout -q -b east && save "$repo" "$HALL" "$EAST" && git -C "$repo" commit -q -a -m east
    git -C "$repo" checkout -q -b south main && save "$repo" "$HALL" "$SOUTH" && git -C "$repo" commit -q -a -m south
    git -C "$repo" checkout -q main && git -C "$repo" merge -q east
    git -C "$repo" merge -q --no-edit south >"$work/merge.out" 2>&1 || fail "$2: the merge of two rooms stopped: $(cat "$work/merge.out")"
    sectors_at "$repo" HEAD >"$work/merged.txt"
    [ "$(wc -l <"$work/merged.txt")" -eq 3 ] || fail "$2: the merged level: $(cat "$work/merged.txt")"
    vrktool check "$repo/hall.vrk" || fail "$2: the merged level has problems"
}

# The README's steps in a new repository, then two branches that each add a room.
readme=$work/readme
git init -q -b main "$readme"
run_blocks "$source/README.md" "### Levels in git" "$readme"
two_rooms "$readme" README

# The merge driver names the tool by a path that git's shell and git's %
# expansion both leave as it is.
for folder in "100%Pure" "it's"; do
    mkdir "$work/$folder" && cp "$tool" "$work/$folder/vrktool" && git init -q -b main "$work/$folder/repo"
    (cd "$work/$folder/repo" && "$work/$folder/vrktool" git-setup >/dev/null) || fail "git-setup from $folder"
    two_rooms "$work/$folder/repo" "the tool in $folder"
done

# Both branches add the level: git's BASE is an empty file.
both=$work/both
git init -q -b main "$both" && (cd "$both" && vrktool git-setup >/dev/null) && git -C "$both" commit -q --allow-empty -m start
git -C "$both" checkout -q -b east && save "$both" "$HALL" "$EAST" && git -C "$both" add hall.vrk && git -C "$both" commit -q -m east
git -C "$both" checkout -q -b south main && save "$both" "$HALL" "$SOUTH" && git -C "$both" add hall.vrk && git -C "$both" commit -q -m south
git -C "$both" merge -q --no-edit east >"$work/both.out" 2>&1 || fail "add/add: the merge stopped: $(cat "$work/both.out")"
[ "$(sectors_at "$both" HEAD | wc -l)" -eq 3 ] || fail "add/add: the merged level: $(sectors_at "$both" HEAD)"

# The hook checks what the commit takes: a broken staged level is refused
# even when the work tree holds a good one again.
head=$(git -C "$readme" rev-parse HEAD)
cp "$readme/hall.vrk" "$work/good.vrk"
printf 'x' >>"$readme/hall.vrk"
git -C "$readme" add hall.vrk
cp "$work/good.vrk" "$readme/hall.vrk"
git -C "$readme" commit -q -m broken >"$work/hook.out" 2>&1 && fail "the hook let a broken staged level through"
expect_in "$work/hook.out" "hall.vrk: 1 trailing byte after the portals" "the hook's refusal"
[ "$(git -C "$readme" rev-parse HEAD)" = "$head" ] || fail "a refused commit was made"
# A good level whose name holds a newline is checked as itself.
git -C "$readme" add hall.vrk && cp "$work/good.vrk" "$readme/new
line.vrk" && git -C "$readme" add -A
git -C "$readme" commit -q -m newline >"$work/hook.out" 2>&1 || fail "the hook refused a good level: $(cat "$work/hook.out")"

# From a subfolder, in a repository nested in another, with a relative
# core.hooksPath, or with no place for the hook: the hook goes to the
# repository's own hooks folder, or nothing is written.
outer=$work/outer
git init -q "$outer" && git init -q "$outer/inner" && mkdir "$outer/inner/levels"
(cd "$outer/inner/levels" && vrktool git-setup) >"$work/nested.out" 2>&1 || fail "git-setup nested: $(cat "$work/nested.out")"
[ -f "$outer/inner/.git/hooks/pre-commit" ] && [ ! -e "$outer/.git/hooks/pre-commit" ] || fail "git-setup nested: the hook went elsewhere"
git -C "$outer" config core.hooksPath my-hooks && mkdir "$outer/levels"
(cd "$outer/levels" && vrktool git-setup) >"$work/relative.out" 2>&1 || fail "git-setup: $(cat "$work/relative.out")"
[ -f "$outer/my-hooks/pre-commit" ] || fail "git-setup with a relative core.hooksPath: the hook went elsewhere"
git init -q "$work/half" && git -C "$work/half" config core.hooksPath missing/hooks
(cd "$work/half" && vrktool git-setup) >"$work/half.out" 2>&1 && fail "git-setup with no place for the hook exited 0"
[ ! -e "$work/half/.gitattributes" ] && ! git -C "$work/half" config merge.vrk.driver >/dev/null || fail "half a set-up written"

# An attributes line with CRLF line ends is the line: two runs add nothing.
git init -q "$work/crlf" && printf '*.png binary\r\n*.vrk diff=vrk merge=vrk\r\n' >"$work/crlf/.gitattributes"
(cd "$work/crlf" && vrktool git-setup && vrktool git-setup) >/dev/null 2>&1 || fail "git-setup with CRLF"
printf '*.png binary\r\n*.vrk diff=vrk merge=vrk\r\n' | cmp -s - "$work/crlf/.gitattributes" || fail "CRLF: .gitattributes changed"

# A hook of someone else's is kept; a second run changes nothing.
other=$work/other
git init -q "$other" && printf '#!/bin/sh\nexit 0\n' >"$other/.git/hooks/pre-commit"
(cd "$other" && vrktool git-setup) >"$work/setup.out" 2>&1 || fail "git-setup: $(cat "$work/setup.out")"
expect_in "$work/setup.out" "pre-commit: not made by vrktool, left as it is" "a foreign hook"
[ "$(cat "$other/.git/hooks/pre-commit")" = "$(printf '#!/bin/sh\nexit 0')" ] || fail "the foreign hook was changed"
snapshot() { (cd "$other" && cat .gitattributes .git/config .git/hooks/pre-commit .git/hooks/vrktool-pre-commit) | md5sum; }
before=$(snapshot)
(cd "$other" && vrktool git-setup) >/dev/null 2>&1 || fail "git-setup a second time"
[ "$(snapshot)" = "$before" ] || fail "git-setup a second time changed something"
[ "$(grep -c 'merge=vrk' "$other/.gitattributes")" -eq 1 ] || fail "the attributes line twice"
# The line chained into the foreign hook as printed: set up, nothing to add.
sed -n 's/^    //p' "$work/setup.out" >>"$other/.git/hooks/pre-commit"
(cd "$other" && vrktool git-setup) >"$work/setup.out" 2>&1 || fail "git-setup after the line was added"
expect_in "$work/setup.out" "already set up" "the chained foreign hook"
grep -q "add this line" "$work/setup.out" && fail "git-setup asks again for a line the hook has"

# review over a range holding each kind of change: modified, a level whose
# new side does not load, renamed, removed, one whose old side did not load,
# added. A row per level in index.md; check's problem gives exit 1.
kinds=$work/kinds
git init -q -b main "$kinds"
level() { save "$kinds" "$@" && mv "$kinds/hall.vrk" "$kinds/$name"; }
name=a.vrk level "$HALL" && name=b.vrk level "$HALL" && name=c.vrk level "$HALL" "$EAST"
name=gone.vrk level "$HALL" && printf 'xx' >"$kinds/junk.vrk"
git -C "$kinds" add -A && git -C "$kinds" commit -q -m levels
git -C "$kinds" checkout -q -b change
name=a.vrk level "${HALL/\"floorHeight\": 0/\"floorHeight\": 4}" "$EAST"
head -c 5 "$kinds/b.vrk" >"$work/cut" && mv "$work/cut" "$kinds/b.vrk"
mkdir "$kinds/maps" && git -C "$kinds" mv c.vrk maps/c2.vrk && git -C "$kinds" rm -q gone.vrk
name=junk.vrk level "$HALL" && name=new.vrk level "$HALL" "$SOUTH"
git -C "$kinds" add -A && git -C "$kinds" commit -q -m change
(cd "$kinds" && vrktool review main -o review) >"$work/review.out" 2>&1
status=$?; [ $status -eq 1 ] || fail "review: exit $status, expected 1 for b.vrk's problems: $(cat "$work/review.out")"
while IFS= read -r row; do
    expect_in "$kinds/review/index.md" "$row" "review's row"
done <<'ROWS'
| `a.vrk` | modified | 1 | 0 | 1 | no | 0 | [01-a.png](01-a.png), [3D](01-a-3d.png) |
| `b.vrk` | modified, new side does not load | ? | ? | ? | ? | 1 | none |
| `gone.vrk` | removed | 0 | 1 | 0 | no | 0 | [03-gone.png](03-gone.png), [3D](03-gone-3d.png) |
| `junk.vrk` | modified, old side does not load | ? | ? | ? | ? | 0 | [04-junk.png](04-junk.png), [3D](04-junk-3d.png) |
| `c.vrk` → `maps/c2.vrk` | renamed | 0 | 0 | 0 | no | 0 | [05-c2.png](05-c2.png), [3D](05-c2-3d.png) |
| `new.vrk` | added | 2 | 0 | 0 | no | 0 | [06-new.png](06-new.png), [3D](06-new-3d.png) |
ROWS
expect_in "$kinds/review/index.md" "- truncated: " "review: check's problem for b.vrk"
python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); print(d["problems"], [l["status"] for l in d["levels"]])' \
    "$kinds/review/review.json" >"$work/review.json.out" 2>&1
expect_in "$work/review.json.out" "1 ['modified', 'modified', 'removed', 'modified', 'renamed', 'added']" "review.json"
[ "$(git -C "$kinds" status --porcelain)" = "?? review/" ] || fail "review wrote outside its folder: $(git -C "$kinds" status --porcelain)"
(cd "$kinds" && vrktool review main -o review) >/dev/null 2>&1
status=$?; [ $status -eq 1 ] || fail "review over its own earlier folder: exit $status, expected 1"
# What it cannot use: exit 2, nothing written.
echo mine >"$kinds/review/notes.txt"
(cd "$kinds" && vrktool review main -o review) >"$work/refused.out" 2>&1
status=$?; [ $status -eq 2 ] || fail "review into a folder with a file of someone else's: exit $status, expected 2"
expect_in "$work/refused.out" "holds notes.txt, which vrktool review did not write" "review's refusal"
[ "$(cat "$kinds/review/notes.txt")" = mine ] || fail "review changed a file it did not write"
(cd "$kinds" && vrktool review no-such-branch -o other) >"$work/range.out" 2>&1
status=$?; [ $status -eq 2 ] || fail "review of an unknown BASE: exit $status, expected 2"
expect_in "$work/range.out" "no-such-branch: no such commit" "review of an unknown BASE"
[ ! -e "$kinds/other" ] || fail "review of an unknown BASE made its folder"
(cd "$work" && vrktool review main -o unmade) >"$work/outside.out" 2>&1
status=$?; [ $status -eq 2 ] || fail "review outside a repository: exit $status, expected 2"
[ ! -e "$work/unmade" ] || fail "review outside a repository made its folder"

[ "$failures" -eq 0 ] && echo "all checks passed"
exit $((failures > 0))
