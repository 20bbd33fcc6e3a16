#!/bin/sh
# Writes the release packages, each with the plug-in, an install note and the
# licences of what it contains:
#   dist/Tovarine-VERSION-windows-x86.zip, dist/Tovarine-VERSION-windows-x64.zip,
#   dist/Tovarine-VERSION-linux-x86_64.tar.gz (the VST 2 plug-in and the LV2 bundle)
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=${JOBS:-$(nproc)}
VERSION=$(sed -n 's/^project(Tovarine VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
./scripts/install-deps.sh
./scripts/build-windows.sh Tovarine
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j"$JOBS" Tovarine tovarine_lv2 >/dev/null

rm -rf dist/stage && mkdir -p dist/stage

# stage NAME PLUGIN STRIP NOTE [LICENCE-FILE...]: a folder NAME with the stripped
# plug-in, the note with its placeholders filled in, and the licences.
stage() {
    name=$1 plugin=$2 strip=$3 note=$4
    shift 4
    dir="dist/stage/$name"
    mkdir -p "$dir"
    "$strip" --strip-debug -o "$dir/$(basename "$plugin")" "$plugin"
    folders=$(printf '%s' "$FOLDERS" | sed 's/\\/\\\\/g')  # keep the backslashes through sed
    sed -e "s|@VERSION@|$VERSION|" -e "s|@ARCH@|$ARCH|" -e "s|@HOSTS@|$HOSTS|" -e "s|@FOLDERS@|$folders|" \
        -e "s|@NEEDED@|$NEEDED|" "$note" > "$dir/INSTALL.txt"
    if [ -f LICENSE ]; then cp LICENSE "$dir/LICENSE.txt"; fi
    for licence in "$@"; do
        printf '==== %s\n\n' "$licence"
        cat "$licence"
        printf '\n'
    done > "$dir/THIRD-PARTY-LICENCES.txt"
}

# The DLLs contain KissFFT (built from Debian's sources) and mingw-w64's runtime and winpthreads.
KISSFFT_COPYRIGHT=build-windows-src/kissfft/debian/copyright
ARCH=x86 HOSTS="32-bit Windows hosts" FOLDERS='C:\Program Files (x86)\VSTPlugins or C:\Program Files (x86)\Steinberg\VstPlugins'
stage "Tovarine-$VERSION-windows-x86" build-win32/Tovarine.dll i686-w64-mingw32-strip packaging/INSTALL-windows.txt \
    "$KISSFFT_COPYRIGHT" /usr/share/doc/mingw-w64-i686-dev/copyright
ARCH=x64 HOSTS="64-bit Windows hosts" FOLDERS='C:\Program Files\VSTPlugins or C:\Program Files\Steinberg\VstPlugins'
stage "Tovarine-$VERSION-windows-x64" build-win64/Tovarine.dll x86_64-w64-mingw32-strip packaging/INSTALL-windows.txt \
    "$KISSFFT_COPYRIGHT" /usr/share/doc/mingw-w64-x86-64-dev/copyright
NEEDED=$(objdump -p build/Tovarine.so | awk '/NEEDED/ {printf "%s ", $2}')
stage "Tovarine-$VERSION-linux-x86_64" build/Tovarine.so strip packaging/INSTALL-linux.txt \
    /usr/share/doc/libkissfft-dev/copyright
# The LV2 bundle beside it: its Turtle and its stripped binaries.
lv2="dist/stage/Tovarine-$VERSION-linux-x86_64/Tovarine.lv2"
mkdir -p "$lv2"
cp build/Tovarine.lv2/*.ttl "$lv2/"
for binary in build/Tovarine.lv2/*.so; do
    strip --strip-debug -o "$lv2/$(basename "$binary")" "$binary"
done

cd dist/stage
for arch in x86 x64; do
    rm -f "../Tovarine-$VERSION-windows-$arch.zip"
    zip -qr "../Tovarine-$VERSION-windows-$arch.zip" "Tovarine-$VERSION-windows-$arch"
done
tar -czf "../Tovarine-$VERSION-linux-x86_64.tar.gz" "Tovarine-$VERSION-linux-x86_64"
cd "$ROOT" && rm -rf dist/stage
ls -l dist
