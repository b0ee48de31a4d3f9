#!/bin/sh
# Installs the Debian packages the build and the tests need, when any is missing.
set -e
packages="cmake g++ make googletest libgtest-dev libbenchmark-dev g++-mingw-w64-x86-64-posix
mingw-w64-tools wine64 xvfb xdotool imagemagick x11-apps clang libclang-rt-14-dev python3
nsis zip unzip libstb-dev nlohmann-json3-dev"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
