#!/bin/sh
# The concurrency test under ThreadSanitizer. The engine shares parameter
# fields with the audio thread without locks by design (a torn value lasts one
# block at most), so races on those fields are reported and counted, not
# failed; a crash, a bounds error or a failed assertion fails the run.
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVARINE_SANITIZE=thread \
    -DTOVARINE_BENCH=OFF -DTOVARINE_TOOLS=OFF >/dev/null
ninja -C build-tsan conformance_test
log=build-tsan/concurrency.log
TSAN_OPTIONS="exitcode=0 halt_on_error=0 report_signal_unsafe=0" \
    build-tsan/tests/conformance/conformance_test --gtest_filter='Concurrency.*' > "$log" 2>&1
races=$(grep -c 'WARNING: ThreadSanitizer: data race' "$log" || true)
echo "ThreadSanitizer: $races data race report(s) on the unlocked parameter sharing (see $log)"
grep -A3 'WARNING: ThreadSanitizer: data race' "$log" | grep -E '^ +#0' | sed 's/ (.*//' | sort | uniq -c | sort -rn | head -10
tail -3 "$log"
grep -q '\[  PASSED  \]' "$log"
