#!/bin/bash
# Makes the release files from a Windows build:
#   packaging/make-packages.sh QUILLMARCH_EXE VRKTOOL_EXE ICON WORK_DIR OUT_DIR RELEASE_ADDRESS
# OUT_DIR receives Quillmarch-<version>-win64.zip, Quillmarch-<version>-setup.exe,
# SHA256SUMS and the winget and Scoop manifests that point at them under
# RELEASE_ADDRESS (make-manifests.sh); WORK_DIR holds the staged files. The same sources give the
# same bytes: every time stamp is SOURCE_DATE_EPOCH (by default the last
# commit's date), and files go in by name in a fixed order.
set -euo pipefail
if [ $# -ne 6 ]; then
  echo "usage: packaging/make-packages.sh QUILLMARCH_EXE VRKTOOL_EXE ICON WORK_DIR OUT_DIR RELEASE_ADDRESS" >&2
  exit 2
fi
editor=$1 tool=$2 icon=$3 work=$4 out=$5 address=$6
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

. "$here/release-version.sh"

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)
  if [ -z "$SOURCE_DATE_EPOCH" ]; then
    echo "make-packages: not a git checkout and no SOURCE_DATE_EPOCH; set it to the release's date" >&2
    exit 1
  fi
fi
export SOURCE_DATE_EPOCH
# zip stores local time: UTC makes it the same everywhere.
export TZ=UTC LC_ALL=C
umask 022

stage=$work/stage
rm -rf "$stage"
mkdir -p "$stage/examples" "$out"

strip_to() {
  x86_64-w64-mingw32-strip --strip-all -o "$2" "$1"
}
strip_to "$editor" "$stage/Quillmarch.exe"
strip_to "$tool" "$stage/vrktool.exe"
# The editor must stay small enough to mail and to start at once.
limit=$((250 * 1024))
size=$(stat -c %s "$stage/Quillmarch.exe")
if [ "$size" -gt "$limit" ]; then
  echo "make-packages: the stripped Quillmarch.exe has $size bytes, more than $limit" >&2
  exit 1
fi

# Text files for Windows: CRLF line ends.
to_crlf() {
  sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"
}
sed "s/@VERSION@/$version/g" "$here/README.txt" >"$work/README.txt"
to_crlf "$work/README.txt" "$stage/README.txt"
to_crlf "$root/LICENSE" "$stage/LICENSE.txt"
to_crlf "$root/CHANGELOG.md" "$stage/CHANGELOG.txt"
to_crlf "$here/THIRD-PARTY-NOTICES.txt" "$stage/THIRD-PARTY-NOTICES.txt"
cp "$root"/examples/*.vrk "$stage/examples/"
# For Windows engine builds and pipelines: the reader and the documents' schema.
mkdir -p "$stage/include"
cp "$root/include/vrk.h" "$stage/include/"
cp "$root/schema/level.schema.json" "$stage/"

# The file list in one fixed order, shared by the zip and the installer.
mapfile -t files < <(cd "$stage" && find . -type f | sed 's|^\./||' | sort)
find "$stage" -type d -exec chmod 755 {} +
find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

zip_name=Quillmarch-$version-win64.zip
setup_name=Quillmarch-$version-setup.exe
rm -f "$out/$zip_name" "$out/$setup_name" "$out/SHA256SUMS"
# The zip unpacks into one folder named for the release. -X leaves out Unix
# owners and extra time stamps, -D folder entries.
top=Quillmarch-$version
rm -rf "$work/zip"
mkdir -p "$work/zip"
cp -a "$stage" "$work/zip/$top"
(cd "$work/zip" && printf "$top/%s\n" "${files[@]}" | zip -q -X -D -9 "$out/$zip_name" -@)

# The installer's File and Delete lines, from the same list.
nsh=$work/files.nsh
{
  echo "; Written by make-packages.sh: what the installer puts in the install folder."
  echo "!macro InstallReleaseFiles"
  folder=.
  for f in "${files[@]}"; do
    dir=$(dirname "$f")
    if [ "$dir" != "$folder" ]; then
      if [ "$dir" = . ]; then echo "  SetOutPath \"\$INSTDIR\""; else echo "  SetOutPath \"\$INSTDIR\\${dir//\//\\}\""; fi
      folder=$dir
    fi
    # An example is the user's to change: InstallExample keeps a changed one.
    case $f in
      examples/*) echo "  !insertmacro InstallExample \"${f//\//\\}\" \"\${STAGE}/$f\"" ;;
      *) echo "  File \"\${STAGE}/$f\"" ;;
    esac
  done
  echo "!macroend"
  echo "!macro UninstallReleaseFiles"
  for f in "${files[@]}"; do
    case $f in
      examples/*) echo "  !insertmacro UninstallExample \"${f//\//\\}\"" ;;
      *) echo "  Delete \"\$INSTDIR\\${f//\//\\}\"" ;;
    esac
  done
  mapfile -t folders < <(for f in "${files[@]}"; do dirname "$f"; done | grep -vx . | sort -u -r)
  for dir in "${folders[@]}"; do
    echo "  RMDir \"\$INSTDIR\\${dir//\//\\}\""
  done
  echo "!macroend"
} >"$nsh"
makensis -V2 -NOCD "-DVERSION=$version" "-DSTAGE=$stage" "-DICON=$icon" "-DFILES=$nsh" \
  "-DOUTFILE=$out/$setup_name" "$here/quillmarch.nsi"

(cd "$out" && sha256sum "$zip_name" "$setup_name" >SHA256SUMS)
"$here/make-manifests.sh" "$out" "$version" "$address"
for f in "$zip_name" "$setup_name" Quillmarch.exe vrktool.exe; do
  [ -f "$out/$f" ] && path=$out/$f || path=$stage/$f
  printf '%-32s %9d bytes  sha256 %s\n' "$f" "$(stat -c %s "$path")" "$(sha256sum <"$path" | cut -c1-64)"
done
