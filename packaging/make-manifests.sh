#!/bin/bash
# The package managers' manifests for the release files just made, with their
# hashes inside, so they come last:
#   packaging/make-manifests.sh OUT_DIR VERSION RELEASE_ADDRESS
# OUT_DIR holds Quillmarch-<version>-setup.exe and -win64.zip; it receives
# winget/ (the multi-file form, schema 1.10.0: version, installer and
# defaultLocale) and scoop/quillmarch.json (the portable zip, for a bucket).
# RELEASE_ADDRESS is where the releases are published (make's RELEASE_ADDRESS):
# each release's files are at RELEASE_ADDRESS/download/v<version>/<name>.
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: packaging/make-manifests.sh OUT_DIR VERSION RELEASE_ADDRESS" >&2
  exit 2
fi
out=$1 version=$2 address=${3%/}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
export LC_ALL=C TZ=UTC

setup=Quillmarch-$version-setup.exe
zip=Quillmarch-$version-win64.zip
for f in "$setup" "$zip"; do
  [ -f "$out/$f" ] || { echo "make-manifests: $out/$f is missing" >&2; exit 1; }
done
download=$address/download/v$version

# What the installer writes, read from its script so that the two never part:
# the programs-list entry's key name is the product code winget matches.
nsi_define() {
  sed -n "s/^!define $1 \"\(.*\)\"\$/\1/p" "$here/quillmarch.nsi"
}
product=$(nsi_define PRODUCT)
publisher=$(nsi_define PUBLISHER)
uninstall_key=$(nsi_define UNINSTALL_KEY)
product_code=${uninstall_key##*\\}
if [ -z "$product" ] || [ -z "$publisher" ] || [ -z "$product_code" ]; then
  echo "make-manifests: PRODUCT, PUBLISHER or UNINSTALL_KEY not found in quillmarch.nsi" >&2
  exit 1
fi
license=$(head -n 1 "$root/LICENSE" | sed 's/ License$//')
description="A level editor for the VRK Engine, with vrktool for level files"
release_date=$(date -u -d "@${SOURCE_DATE_EPOCH:-$(stat -c %Y "$out/$setup")}" +%F)
setup_sha=$(sha256sum <"$out/$setup" | cut -c1-64)
zip_sha=$(sha256sum <"$out/$zip" | cut -c1-64)

id=Quillmarch.Quillmarch
winget=$out/winget
rm -rf "$winget" "$out/scoop"
mkdir -p "$winget" "$out/scoop"
schema() { echo "# yaml-language-server: \$schema=https://aka.ms/winget-manifest.$1.1.10.0.schema.json"; }

{
  schema version
  echo "PackageIdentifier: $id"
  echo "PackageVersion: $version"
  echo "DefaultLocale: en-US"
  echo "ManifestType: version"
  echo "ManifestVersion: 1.10.0"
} >"$winget/$id.yaml"

# Setup never elevates itself: the machine-wide install needs winget to start
# it elevated, with /AllUsers. /S and /D= are the switches the installer takes.
{
  schema installer
  echo "PackageIdentifier: $id"
  echo "PackageVersion: $version"
  echo "InstallerType: nullsoft"
  echo "InstallModes:"
  echo "- interactive"
  echo "- silent"
  echo "- silentWithProgress"
  echo "InstallerSwitches:"
  echo "  Silent: /S"
  echo "  SilentWithProgress: /S"
  echo "  InstallLocation: /D=<INSTALLPATH>"
  echo "UpgradeBehavior: install"
  echo "FileExtensions:"
  echo "- vrk"
  echo "ProductCode: $product_code"
  echo "ReleaseDate: $release_date"
  echo "AppsAndFeaturesEntries:"
  echo "- DisplayName: $product"
  echo "  Publisher: $publisher"
  echo "  DisplayVersion: $version"
  echo "  ProductCode: $product_code"
  echo "Installers:"
  echo "- Architecture: x64"
  echo "  Scope: user"
  echo "  InstallerUrl: $download/$setup"
  echo "  InstallerSha256: ${setup_sha^^}"
  echo "- Architecture: x64"
  echo "  Scope: machine"
  echo "  InstallerUrl: $download/$setup"
  echo "  InstallerSha256: ${setup_sha^^}"
  echo "  InstallerSwitches:"
  echo "    Custom: /AllUsers"
  echo "  ElevationRequirement: elevationRequired"
  echo "ManifestType: installer"
  echo "ManifestVersion: 1.10.0"
} >"$winget/$id.installer.yaml"

{
  schema defaultLocale
  echo "PackageIdentifier: $id"
  echo "PackageVersion: $version"
  echo "PackageLocale: en-US"
  echo "Publisher: $publisher"
  echo "PackageName: $product"
  echo "License: $license"
  echo "ShortDescription: $description"
  echo "Moniker: quillmarch"
  echo "Tags:"
  echo "- level-editor"
  echo "- vrk"
  echo "ReleaseNotesUrl: $address/tag/v$version"
  echo "ManifestType: defaultLocale"
  echo "ManifestVersion: 1.10.0"
} >"$winget/$id.locale.en-US.yaml"

# The zip unpacks into one folder named for the release; Scoop finds the next
# release's version on the latest release's page and its hash in SHA256SUMS.
cat >"$out/scoop/quillmarch.json" <<EOF
{
    "version": "$version",
    "description": "$description",
    "homepage": "$address",
    "license": "$license",
    "url": "$download/$zip",
    "hash": "$zip_sha",
    "extract_dir": "Quillmarch-$version",
    "bin": "vrktool.exe",
    "shortcuts": [
        [
            "Quillmarch.exe",
            "$product"
        ]
    ],
    "checkver": {
        "url": "$address/latest",
        "regex": "/releases/tag/v([\\\\d.]+)"
    },
    "autoupdate": {
        "url": "$address/download/v\$version/Quillmarch-\$version-win64.zip",
        "extract_dir": "Quillmarch-\$version",
        "hash": {
            "url": "\$baseurl/SHA256SUMS"
        }
    }
}
EOF
