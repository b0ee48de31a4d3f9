# Sourced by the packaging scripts: sets version from resources/version.h,
# where the editor's version block takes it too, or stops the script.
#   root=<the source folder>; . packaging/release-version.sh
version_part() {
  sed -n "s/^#define QM_VERSION_$1 \([0-9][0-9]*\)\$/\1/p" "$root/resources/version.h"
}
version="$(version_part MAJOR).$(version_part MINOR).$(version_part PATCH)"
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "$(basename "$0"): no version in resources/version.h (read '$version')" >&2
  exit 1
fi
