#!/bin/sh
# Cross-builds the Windows plug-in, Tovarine.dll, for x86 (build-win32/) and
# x64 (build-win64/) with mingw-w64, with the test programs that run under Wine.
# KissFFT comes from Debian's source package, unpacked into build-windows-src/.
#   scripts/build-windows.sh [TARGET...]   (default: the DLL and its tests)
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
./scripts/install-windows-deps.sh
JOBS=${JOBS:-$(nproc)}
. ./scripts/ninja-quietly.sh
TARGETS=${*:-Tovarine windows_host_tests windows_editor_tests reference_renders}

SRC="$ROOT/build-windows-src"
if [ ! -f "$SRC/kissfft/kiss_fftr.c" ]; then
    rm -rf "$SRC" && mkdir -p "$SRC"
    (cd "$SRC" && apt-get source --download-only -qq kissfft 2>/dev/null && dpkg-source -x kissfft_*.dsc kissfft >/dev/null)
fi

for arch in i686:win32 x86_64:win64; do
    triple=${arch%%:*}
    dir="build-${arch##*:}"
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$triple.cmake" \
        -DKISSFFT_SOURCE_DIR="$SRC/kissfft" -DTOVARINE_BENCH=OFF -DTOVARINE_TOOLS=OFF >/dev/null
    ninja_quietly -C "$dir" -j"$JOBS" $TARGETS
done
