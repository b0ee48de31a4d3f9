#!/usr/bin/env python3
"""The winget and Scoop manifests read back as the package managers read them:
YAML and JSON that parse, hashes and names of the release files beside them,
the product code of the installer's programs-list entry, and the zip's folder,
program and shortcut target. (The installer rows check the switches.)
   manifests_test.py DIST_DIR INSTALLER_SCRIPT"""
import hashlib, json, os, re, sys, zipfile
import yaml

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from checks import expect, finish  # noqa: E402

dist, nsi = sys.argv[1], sys.argv[2]


def sha256(name):
    with open(f"{dist}/{name}", "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


sums = dict(reversed(line.split("  ")) for line in open(f"{dist}/SHA256SUMS").read().splitlines())
setup = next(n for n in sums if n.endswith("-setup.exe"))
version = setup[len("Quillmarch-"):-len("-setup.exe")]
zip_name = f"Quillmarch-{version}-win64.zip"
key = re.search(r'^!define UNINSTALL_KEY "(.*)"$', open(nsi).read(), re.M).group(1)

winget = {t: yaml.safe_load(open(f"{dist}/winget/Quillmarch.Quillmarch{s}.yaml"))
          for t, s in [("version", ""), ("installer", ".installer"), ("defaultLocale", ".locale.en-US")]}
for kind, doc in winget.items():
    expect((kind, "1.10.0", "Quillmarch.Quillmarch", version),
           (doc["ManifestType"], doc["ManifestVersion"], doc["PackageIdentifier"], doc["PackageVersion"]), kind)
installer = winget["installer"]
expect(key.split("\\")[-1], installer["ProductCode"], "ProductCode: the uninstall key's name")
expect([installer["ProductCode"]], [e["ProductCode"] for e in installer["AppsAndFeaturesEntries"]], "entries")
expect(["vrk"], installer["FileExtensions"], "FileExtensions")
expect("nullsoft", installer["InstallerType"], "InstallerType")
for entry, scope in zip(installer["Installers"], ["user", "machine"]):
    expect(("x64", scope), (entry["Architecture"], entry["Scope"]), "an installer's architecture and scope")
    expect(sha256(setup).upper(), entry["InstallerSha256"], f"{scope}: InstallerSha256")
    expect(f"/download/v{version}/{setup}", entry["InstallerUrl"][-len(f"/download/v{version}/{setup}"):],
           f"{scope}: InstallerUrl")
expect("elevationRequired", installer["Installers"][1].get("ElevationRequirement"), "machine: elevation")

scoop = json.load(open(f"{dist}/scoop/quillmarch.json"))
expect((version, sha256(zip_name)), (scoop["version"], scoop["hash"]), "Scoop: version and hash")
expect(sums[zip_name], scoop["hash"], "Scoop: the hash in SHA256SUMS")
expect(installer["Installers"][0]["InstallerUrl"].replace(setup, zip_name), scoop["url"], "Scoop: url")
members = zipfile.ZipFile(f"{dist}/{zip_name}").namelist()
for name in [scoop["bin"], scoop["shortcuts"][0][0]]:
    expect(True, f"{scoop['extract_dir']}/{name}" in members, f"Scoop: {name} in the zip's {scoop['extract_dir']}")
expect(scoop["url"], scoop["autoupdate"]["url"].replace("$version", version), "Scoop: autoupdate's url")

finish("manifests")
