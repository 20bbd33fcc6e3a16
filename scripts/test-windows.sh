#!/bin/sh
# Builds both Windows DLLs and tests them under Wine: their export and import
# tables, the host-level suites through the Windows test host (with the real
# common dialog answered by a test thread), and render fingerprints at every
# kernel width this CPU runs, which must equal the Linux build's bit for bit; and
# the editor in a window, whose pixels must equal the Linux editor's.
# Expects the Linux build in build/ (scripts/test.sh makes it first).
set -e
cd "$(dirname "$0")/.."
ROOT=$(pwd)
JOBS=${JOBS:-$(nproc)}
./scripts/build-windows.sh
ninja -C build -j"$JOBS" Tovarine reference_renders >/dev/null

build/tests/renders/reference_renders --library build/Tovarine.so --analyse tests/data/wav/*.wav \
    > build/reference-renders.txt
WAVS=""
for f in "$ROOT"/tests/data/wav/*.wav; do WAVS="$WAVS Z:$f"; done

# One Wine prefix for both (64-bit Wine runs 32-bit programs too), made on first use.
# C.UTF-8 (always present) lets Wine give Unix file names letters outside ASCII.
export WINEPREFIX="$ROOT/build-windows-src/wineprefix" WINEDEBUG=-all LC_ALL=C.UTF-8
for pair in i686:build-win32 x86_64:build-win64; do
    dir=${pair#*:}
    echo "== $dir"
    tests/windows/check-dll.sh "${pair%%:*}-w64-mingw32-objdump" "$dir/Tovarine.dll"
    if [ "${pair%%:*}" = i686 ] && ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
        echo "== $dir: built and its tables checked, NOT run: Wine cannot run 32-bit programs here (wine32:i386 is missing)"
        continue
    fi
    # shellcheck disable=SC2086
    (cd "$dir" && wine reference_renders.exe --library Tovarine.dll --analyse $WAVS) | tr -d '\r' > "$dir/reference-renders.txt"
    # Wine's desktop process keeps the display it started with: let this session end
    # before the next one runs under Xvfb.
    wineserver -w
    awk -f tests/windows/compare-renders.awk build/reference-renders.txt "$dir/reference-renders.txt"
    # The random-chunk suite opens thousands of dialogs, a second each under Wine;
    # the Linux runs (optimised and sanitized) cover it.
    (cd "$dir" && xvfb-run -a wine windows_host_tests.exe --gtest_brief=1 \
        --gtest_filter=-State.TenThousandRandomAndMutatedChunks)
    wineserver -w
    # The editor in a window under Xvfb, driven by real mouse and key input.
    (cd "$dir" && xvfb-run -a wine windows_editor_tests.exe --gtest_brief=1)
    wineserver -w
done
