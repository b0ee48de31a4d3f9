#!/bin/bash
# vrktool export's files as other programs read them: every kind of level
# (the examples, the fuzz corpus, random levels, the full 256-sector level)
# exported as .glb and .gltf and passed through the Khronos glTF-Validator
# with no error and no warning; with a second tool given, each export and
# each 3D picture compared byte for byte with that tool's.
# Usage: export_files_test.sh SOURCE_DIR WORK_DIR TOOL [REFERENCE_TOOL]
# TOOL may be a command with arguments, such as "wine-run vrktool.exe".
set -u
source_dir=$1 work=$2 tool=$3 reference=${4:-}
rm -rf "$work" && mkdir -p "$work/levels" "$work/out" "$work/reference" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$source_dir/scripts/install-gltf-validator.sh" "$source_dir/build/tools/gltf-validator" || exit 1

cp "$source_dir"/examples/*.vrk "$work/levels/" || exit 1
for file in "$source_dir"/tests/fuzz/corpus/*.vrk; do
  cp "$file" "$work/levels/corpus_$(basename "$file")" || exit 1
done
# Random levels of rectangles that never intersect, with every kind of
# heights (steps both ways, openings that close, floors above ceilings).
python3 - "$work/levels" <<'PY' || exit 1
import json, random, sys
random.seed(24)
for n in range(12):
    sectors = []
    for attempt in range(400):
        if len(sectors) == 40:
            break
        l, t = random.randrange(0, 30), random.randrange(0, 30)
        s = {"left": l, "top": t, "right": l + random.randrange(1, 7), "bottom": t + random.randrange(1, 7),
             "floorHeight": random.randrange(0, 200)}
        s["ceilingHeight"] = min(255, max(0, s["floorHeight"] + random.randrange(-8, 56)))
        if all(max(s["left"], o["left"]) >= min(s["right"], o["right"]) or
               max(s["top"], o["top"]) >= min(s["bottom"], o["bottom"]) for o in sectors):
            sectors.append(s)
    level = {"version": 2, "startX": random.randrange(0, 36), "startY": random.randrange(0, 36), "sectors": sectors}
    json.dump(level, open(f"{sys.argv[1]}/random_{n}.json", "w"))
PY
for json in "$work"/levels/random_*.json; do
  $tool build "$json" -o "${json%.json}.vrk" || fail "build $json"
done

exported=()
for level in "$work"/levels/*.vrk; do
  name=$(basename "$level" .vrk)
  for format in glb gltf obj; do
    out="$work/out/$name.$format"
    $tool export "$level" -o "$out" >/dev/null 2>"$work/out/$name.$format.err"
    status=$?
    if [ $status -eq 2 ]; then
      [ -e "$out" ] && fail "$name.$format: written although the level did not load"
      continue
    fi
    [ $status -eq 0 ] || fail "$name.$format: exit code $status, expected 0"
    [ "$format" = obj ] || exported+=("$out")
  done
  $tool render "$level" -o "$work/out/$name-3d.png" --view 3d --from sw >/dev/null 2>&1
done
$tool render "$work/levels/random_1.vrk" --compare "$work/levels/random_2.vrk" --view 3d \
  -o "$work/out/compare-3d.png" >/dev/null 2>&1 || fail "render --compare --view 3d"
echo "${#exported[@]} glTF files exported"
[ ${#exported[@]} -ge 60 ] || fail "only ${#exported[@]} glTF files, expected at least 60"
node "$source_dir/tests/vrktool/validate_gltf.js" "$source_dir/build/tools/gltf-validator" "${exported[@]}" ||
  fail "the glTF-Validator found errors or warnings"

if [ -n "$reference" ]; then
  for level in "$work"/levels/*.vrk; do
    name=$(basename "$level" .vrk)
    for format in glb gltf obj; do
      $reference export "$level" -o "$work/reference/$name.$format" >/dev/null 2>&1
    done
    $reference render "$level" -o "$work/reference/$name-3d.png" --view 3d --from sw >/dev/null 2>&1
  done
  $reference render "$work/levels/random_1.vrk" --compare "$work/levels/random_2.vrk" --view 3d \
    -o "$work/reference/compare-3d.png" >/dev/null 2>&1
  compared=0
  for file in "$work"/reference/*; do
    [ -f "$file" ] || continue
    compared=$((compared + 1))
    cmp -s "$file" "$work/out/$(basename "$file")" || fail "$(basename "$file"): bytes differ from the reference tool's"
  done
  echo "$compared files compared byte for byte with the reference tool's"
  [ $compared -ge 100 ] || fail "only $compared files compared, expected at least 100"
fi
[ $failures -eq 0 ] && echo "all passed"
exit $((failures > 0))
