#!/bin/sh
# Installs the Khronos glTF-Validator, at the one version the tests are
# made for, into a folder of the build tree (npm from the Debian packages;
# nothing is installed for the whole system). Does nothing when that
# version is there already. Usage: install-gltf-validator.sh FOLDER
set -e
VERSION=2.0.0-dev.3.10
folder=${1:?usage: install-gltf-validator.sh FOLDER}
installed="$folder/node_modules/gltf-validator/package.json"
if [ -f "$installed" ] && grep -q "\"version\": \"$VERSION\"" "$installed"; then
  exit 0
fi
mkdir -p "$folder"
npm install --prefix "$folder" --no-save --no-audit --no-fund --loglevel=error "gltf-validator@$VERSION"
