#!/bin/sh
# Installs what the Windows builds and their Wine tests need on Debian (as root,
# or through sudo): the mingw-w64 compilers (posix threads), Wine for 32- and
# 64-bit programs, zip for the release packages, and a deb-src entry so the
# build can fetch Debian's KissFFT sources.
set -e
. "$(dirname "$0")/apt-packages.sh"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        | $SUDO tee /etc/apt/sources.list.d/tovarine-src.sources >/dev/null
    apt_update
fi

# The skin's bitmap resources are rendered with Cairo on the build machine; the editor
# tests run under Xvfb, with "Arial" drawn by Liberation Sans.
PACKAGES="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 zip
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 dpkg-dev googletest
  g++ pkg-config libcairo2-dev xvfb xauth fonts-liberation"
install_missing $PACKAGES
# Wine's 32-bit half needs the i386 package lists, which a mirror in mid-sync can lack.
# Without it the x86 DLL is still built and its tables checked; only its runs under
# Wine are left out (scripts/test-windows.sh says so).
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    echo "Installing Debian packages: wine32:i386"
    $SUDO env DEBIAN_FRONTEND=noninteractive $APT install -y -qq --no-install-recommends wine32:i386 >>"$apt_log" 2>&1 ||
        { tail -3 "$apt_log" >&2; echo "install: wine32:i386 does not install here: the x86 DLL cannot run under Wine" >&2; }
fi
# apt-cache must know the source package before apt-get source can fetch it.
apt-cache showsrc kissfft >/dev/null 2>&1 || { apt_updated=""; apt_update; }
