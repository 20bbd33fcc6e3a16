#!/bin/sh
# The threading tests under ThreadSanitizer: parameters from two threads,
# programs, chunks and commands from another while audio runs, the editor
# in a private Xvfb being drawn on meanwhile, the LV2 plug-in's state
# restored, files set by patch:Set and its ports changed while it runs, and
# the LV2 UI on its own thread beside the audio thread (a tuning dialog
# answered while audio runs, a file asked of the host).
# Any report fails the run.
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
cd "$(dirname "$0")/.."
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOVARINE_SANITIZE=thread \
    -DTOVARINE_BENCH=OFF -DTOVARINE_TOOLS=OFF >/dev/null
ninja -C build-tsan conformance_test conformance_editor_test tovarine_lv2 lv2_test lv2_ui_test
log=build-tsan/concurrency.log
status=0
TSAN_OPTIONS="halt_on_error=0 report_signal_unsafe=0 second_deadlock_stack=1" \
    build-tsan/tests/conformance/conformance_test --gtest_filter='Concurrency.*' > "$log" 2>&1 || status=1
TSAN_OPTIONS="halt_on_error=0 report_signal_unsafe=0 second_deadlock_stack=1" \
    build-tsan/tests/conformance/conformance_editor_test --gtest_filter='EditorStress.*' >> "$log" 2>&1 || status=1
TSAN_OPTIONS="halt_on_error=0 report_signal_unsafe=0 second_deadlock_stack=1" \
    build-tsan/tests/lv2/lv2_test --gtest_filter='Lv2Concurrency.*' >> "$log" 2>&1 || status=1
TSAN_OPTIONS="halt_on_error=0 report_signal_unsafe=0 second_deadlock_stack=1" \
    build-tsan/tests/lv2/lv2_ui_test >> "$log" 2>&1 || status=1
reports=$(grep -c 'WARNING: ThreadSanitizer' "$log" || true)
echo "ThreadSanitizer: $reports report(s) (see $log)"
grep -A3 'WARNING: ThreadSanitizer' "$log" | grep -E '^ +#0' | sed 's/ (.*//' | sort | uniq -c | sort -rn | head -10
grep -E '^\[  (PASSED|FAILED) ' "$log" || true
[ "$reports" -eq 0 ] && [ "$status" -eq 0 ]
