#!/bin/bash
# make dist: a fresh Release build for Windows in build/dist and a static Linux
# vrktool in build/linux-dist, then the release files in dist/: the portable
# zip, the installer, the Linux tarball and .deb, SHA256SUMS of all four, and
# the winget and Scoop manifests for RELEASE_ADDRESS.
set -eu
cd "$(dirname "$0")/.."
rm -rf build/dist
cmake --preset dist ${RELEASE_ADDRESS:+"-DQM_RELEASE_ADDRESS=$RELEASE_ADDRESS"} >/dev/null
cmake --build --preset dist -j "${JOBS:-2}"
# The Linux files: a static vrktool, built afresh too.
rm -rf build/linux-dist
cmake --preset linux-dist >/dev/null
cmake --build --preset linux-dist -j "${JOBS:-2}"
rm -rf dist
mkdir dist
cp -R build/dist/dist/. dist/
packaging/make-linux-packages.sh build/linux-dist/vrktool/vrktool build/linux-dist/packages dist
(cd dist && sha256sum Quillmarch-*-win64.zip Quillmarch-*-setup.exe vrktool-*-linux-x86_64.tar.gz \
  quillmarch-tools_*_amd64.deb >SHA256SUMS)
tests/release/linux_release_test.sh dist examples
# The review workflow's steps with the tarball in place of the download.
python3 tests/vrktool/review_workflow_test.py build/linux-dist/vrktool/vrktool . dist/vrktool-*-linux-x86_64.tar.gz
echo "Release files in dist/:"
(cd dist && ls -lR && cat SHA256SUMS)
