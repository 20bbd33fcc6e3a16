#!/bin/sh
# Builds the plug-in and every test, then runs the suite twice (an optimised
# build, and a build under AddressSanitizer + UndefinedBehaviorSanitizer), the
# Windows DLLs' tests under Wine (scripts/test-windows.sh), the
# concurrency test under ThreadSanitizer, and each fuzzer for a bounded time.
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
cd "$(dirname "$0")/.."
ROOT=$(pwd)
./scripts/install-deps.sh --tests
. ./scripts/ninja-quietly.sh
JOBS=${JOBS:-$(nproc)}

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVARINE_TESTS=ON -DTOVARINE_BENCH=ON >/dev/null
ninja_quietly -C build -j"$JOBS"
(cd build && ctest --output-on-failure -j"$JOBS")
# Both Windows DLLs under Wine, compared with this Linux build.
./scripts/test-windows.sh

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVARINE_SANITIZE=address,undefined \
    -DTOVARINE_BENCH=OFF >/dev/null
ninja_quietly -C build-asan -j"$JOBS"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions="$ROOT/tests/lsan.supp":print_suppressions=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --output-on-failure -j"$JOBS")
./scripts/tsan.sh
./scripts/fuzz.sh
