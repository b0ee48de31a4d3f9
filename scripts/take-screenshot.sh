#!/bin/bash
# Takes the README's picture again (make screenshot): the screenshot test
# saves the running editor on examples/hall.vrk as build/windows/screenshot.png,
# which then replaces docs/screenshot.png.
set -u
cd "$(dirname "$0")/.."
shot=build/windows/screenshot.png
rm -f "$shot"
scripts/with-wine-env ctest --preset windows -R '^wine\.Screenshot\.' || exit 1
if [ ! -f "$shot" ]; then
  echo "take-screenshot: the screenshot test wrote no $shot" >&2
  exit 1
fi
cp "$shot" docs/screenshot.png
echo "docs/screenshot.png now holds $shot"
