#!/bin/sh
# Every render of reference_renders, at every kernel width this CPU runs,
# must still give the fingerprint recorded in expected-fingerprints.txt: a
# change to the audio loop that alters a single output bit fails here.
#   check-fingerprints.sh REFERENCE_RENDERS EXPECTED
set -e
"$1" | awk 'FNR == NR { expected[$1] = $2; next }
    !($1 in expected) { print "no recorded fingerprint for " $1; bad = 1; next }
    $3 != expected[$1] { print $1 " at " $2 ": " $3 ", recorded " expected[$1]; bad = 1; next }
    { seen[$1] = 1; same++ }
    END {
        for (scene in expected) if (!(scene in seen)) { print "not rendered: " scene; bad = 1 }
        printf "%d renders as recorded\n", same
        exit bad
    }' "$2" -
