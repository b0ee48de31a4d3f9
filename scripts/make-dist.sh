#!/bin/bash
# make dist: a fresh Release build for Windows in build/dist, then the release
# files (the portable zip, the installer, SHA256SUMS, the winget and Scoop
# manifests for RELEASE_ADDRESS) copied into dist/.
set -eu
cd "$(dirname "$0")/.."
rm -rf build/dist
cmake --preset dist ${RELEASE_ADDRESS:+"-DQM_RELEASE_ADDRESS=$RELEASE_ADDRESS"} >/dev/null
cmake --build --preset dist -j "${JOBS:-2}"
rm -rf dist
mkdir dist
cp -R build/dist/dist/. dist/
echo "Release files in dist/:"
(cd dist && ls -lR && cat SHA256SUMS)
