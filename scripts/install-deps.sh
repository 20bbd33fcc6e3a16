#!/bin/sh
# Installs what building and testing need on a fresh Debian machine (as root, or through sudo).
# Quiet: one line naming what it installs; apt's own output goes to a log, shown only on failure.
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
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
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run_quietly() {
    if ! "$@" >>"$log" 2>&1; then
        tail -30 "$log" >&2
        echo "install-deps: '$*' failed" >&2
        exit 1
    fi
}
if [ -n "$missing" ]; then
    echo "Installing Debian packages:$missing"
    run_quietly $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
    run_quietly $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends $missing
fi
# A locale with a decimal comma, as GTK and Qt hosts set, for the locale-independence tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE.utf8$'; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    run_quietly $SUDO locale-gen
fi
# The Windows cross-builds and Wine (scripts/build-windows.sh, scripts/test-windows.sh).
"$(dirname "$0")/install-windows-deps.sh"
