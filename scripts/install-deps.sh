#!/bin/sh
# Installs what building and testing need on a fresh Debian machine (as root, or through sudo).
set -e
PACKAGES="build-essential cmake pkg-config ninja-build
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libx11-dev libfontconfig1-dev fonts-liberation
  libsndfile1-dev libkissfft-dev libsmf-dev
  xvfb xauth xdotool x11-utils clang libclang-rt-14-dev"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
