#!/usr/bin/env python3
"""The winget and Scoop manifests read back as the package managers read them:
YAML and JSON that parse, hashes and names of the release files beside them,
the product code of the installer's programs-list entry, and the zip's folder,
program and shortcut target. (The installer rows check the switches.)
   manifests_test.py DIST_DIR INSTALLER_SCRIPT"""
import hashlib, json, re, sys, zipfile
import yaml

dist, nsi = sys.argv[1], sys.argv[2]
failures = 0


def expect(expected, actual, what):
    global failures
    if expected != actual:
        print(f"FAIL: {what}: expected {expected!r}, actual {actual!r}")
        failures += 1


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

print("manifests: 0 failed" if failures == 0 else f"manifests: {failures} failed")
sys.exit(1 if failures else 0)
