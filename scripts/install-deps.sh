#!/bin/sh
# Installs what building needs on a fresh Debian machine (as root, or through
# sudo); with --tests also what the tests, benchmarks and fuzzers need.
# The Windows cross-builds install theirs (scripts/install-windows-deps.sh, run by build-windows.sh).
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
# The plug-in, its editor, the command-line host and the demo.
BUILD_PACKAGES="build-essential cmake pkg-config ninja-build
  libcairo2-dev libx11-dev libfontconfig1-dev fonts-liberation
  libsndfile1-dev libkissfft-dev libsmf-dev lv2-dev"
# GoogleTest, Google Benchmark, a virtual X server for the editor tests, clang for the
# fuzzers, the LV2 validator, lilv's tools and library for the bundle check and the LV2 test host,
# jalv and JACK for the LV2 editor in a real host.
TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev sordi lilv-utils liblilv-dev jalv jackd2
  xvfb xauth xdotool x11-utils clang libclang-rt-14-dev locales"
. "$(dirname "$0")/apt-packages.sh"
if [ "$1" = "--tests" ]; then
    install_missing $BUILD_PACKAGES $TEST_PACKAGES
else
    install_missing $BUILD_PACKAGES
    exit 0
fi
# A locale with a decimal comma, as GTK and Qt hosts set, for the locale-independence tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf8$'; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    run_quietly $SUDO locale-gen
fi
