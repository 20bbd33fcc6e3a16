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
PACKAGES="g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386 zip
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 dpkg-dev googletest
  g++ pkg-config libcairo2-dev xvfb xauth fonts-liberation"
install_missing $PACKAGES
# apt-cache must know the source package before apt-get source can fetch it.
apt-cache showsrc kissfft >/dev/null 2>&1 || { apt_updated=""; apt_update; }
