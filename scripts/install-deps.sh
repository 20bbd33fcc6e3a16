#!/bin/sh
# Installs what building and testing need on a fresh Debian machine (as root, or through sudo).
# The Windows cross-builds install theirs (scripts/install-windows-deps.sh, run by build-windows.sh).
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
PACKAGES="build-essential cmake pkg-config ninja-build
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libx11-dev libfontconfig1-dev fonts-liberation
  libsndfile1-dev libkissfft-dev libsmf-dev
  lv2-dev sordi lilv-utils liblilv-dev
  xvfb xauth xdotool x11-utils clang libclang-rt-14-dev locales"
. "$(dirname "$0")/apt-packages.sh"
install_missing $PACKAGES
# A locale with a decimal comma, as GTK and Qt hosts set, for the locale-independence tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf8$'; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    run_quietly $SUDO locale-gen
fi
