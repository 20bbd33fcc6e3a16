#!/bin/sh
# Every render of reference_renders, at every kernel width this CPU runs,
# must still give the fingerprint recorded in expected-fingerprints.txt: a
# change to the audio loop that alters a single output bit fails here. The
# four-lane kernel without FMA has fingerprints of its own (scene/without-fma);
# a CPU without FMA renders only those.
#   check-fingerprints.sh REFERENCE_RENDERS EXPECTED
set -e
"$1" | awk 'FNR == NR { expected[$1] = $2; next }
    { key = $1 ($2 ~ /-plain$/ ? "/without-fma" : ""); if (key == $1) fused = 1 }
    !(key in expected) { print "no recorded fingerprint for " key; bad = 1; next }
    $3 != expected[key] { print key " at " $2 ": " $3 ", recorded " expected[key]; bad = 1; next }
    { seen[key] = 1; same++ }
    END {
        for (scene in expected)
            if (!(scene in seen) && (fused || scene ~ /\/without-fma$/)) { print "not rendered: " scene; bad = 1 }
        printf "%d renders as recorded\n", same
        exit bad
    }' "$2" -
