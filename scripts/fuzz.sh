#!/bin/sh
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# bounded time from the committed seed corpus (the LV2 restore through the
# bundle's module among them). Any crash fails the run; the
# crashing input is left in build-fuzz/crashes/ to become a regression test.
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-30}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVARINE_FUZZ=ON \
    -DTOVARINE_SANITIZE=address,undefined -DTOVARINE_TESTS=OFF -DTOVARINE_BENCH=OFF -DTOVARINE_TOOLS=OFF \
    -DTOVARINE_WERROR=OFF >/dev/null
. ./scripts/ninja-quietly.sh
ninja_quietly -C build-fuzz
mkdir -p build-fuzz/crashes
status=0
# Restored programs may name tuning files that do not exist here; their dialog is cancelled at once.
export PATH="$(pwd)/fuzz/no-dialog:$PATH"
# Font and drawing libraries keep process-wide caches until exit.
export LSAN_OPTIONS="suppressions=$(pwd)/tests/lsan.supp:print_suppressions=0"
for fuzzer in build-fuzz/fuzz/fuzz_*; do
    name=$(basename "$fuzzer" | sed 's/^fuzz_//')
    work="build-fuzz/corpus-$name"
    mkdir -p "$work"
    if "$fuzzer" -max_total_time="$SECONDS_EACH" -print_final_stats=1 -artifact_prefix=build-fuzz/crashes/"$name"- \
        "$work" "fuzz/corpus/$name" > "build-fuzz/$name.log" 2>&1; then
        runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "build-fuzz/$name.log" | awk '{print $2}')
        echo "fuzz $name: $runs executions in ${SECONDS_EACH}s, no crash"
    else
        echo "fuzz $name: FAILED" >&2
        tail -40 "build-fuzz/$name.log" >&2
        status=1
    fi
done
exit $status
