#!/bin/bash
# make dist: a fresh Release build for Windows in build/dist, then the release
# files (the portable zip, the installer, SHA256SUMS) copied into dist/.
set -eu
cd "$(dirname "$0")/.."
rm -rf build/dist
cmake --preset dist >/dev/null
cmake --build --preset dist -j "${JOBS:-2}"
rm -rf dist
mkdir dist
cp build/dist/dist/* dist/
echo "Release files in dist/:"
(cd dist && ls -l && cat SHA256SUMS)
