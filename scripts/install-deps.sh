#!/bin/sh
# Installs what building and testing need on a fresh Debian machine (as root, or through sudo).
set -e
PACKAGES="build-essential cmake pkg-config ninja-build
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libx11-dev libfontconfig1-dev fonts-liberation
  libsndfile1-dev libkissfft-dev libsmf-dev
  xvfb xauth xdotool x11-utils clang libclang-rt-14-dev locales"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
# A locale with a decimal comma, as GTK and Qt hosts set, for the locale-independence tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf8$'; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
# The Windows cross-builds and Wine (scripts/build-windows.sh, scripts/test-windows.sh).
"$(dirname "$0")/install-windows-deps.sh"
