#!/bin/sh
# Installs the Debian packages listed in scripts/debian-packages.txt that are
# missing; with all of them present it does nothing and never calls apt.
#   scripts/install-deps.sh [GROUP...]   those of the groups named (run, test,
#                                        dist, bench), or of every group
set -e
list="$(dirname "$0")/debian-packages.txt"
packages=$(sed -e 's/#.*//' "$list" | awk -v groups=" $* " 'NF {
  n = split($2, g, ",")
  for (i = 1; i <= n; i++) if (groups == "  " || index(groups, " " g[i] " ")) { print $1; break }
}')
if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
  echo "install-deps: not a Debian system; install the equivalents of these yourself:" $packages >&2
  exit 0
fi
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
  # Another installed package may provide it (a nodejs that brings its own npm).
  dpkg-query -W -f='${Status}|${Provides}\n' 2>/dev/null | grep "^install ok installed|" |
    grep -Eq "[|, ]$p( |,|$)" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
