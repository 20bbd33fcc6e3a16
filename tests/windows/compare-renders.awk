# Compares reference_renders output of a Windows build (second file) with the
# Linux build's (first file): render fingerprints must be equal; analysed
# settings may differ only in their last bits (relative 1e-5), which the C
# runtimes' double-precision log, exp, pow and cos leave.
#   awk -f compare-renders.awk linux.txt windows.txt
FNR == NR { linux[$1 " " $2] = $0; next }
{
    key = $1 " " $2
    seen[key] = 1
    if (!(key in linux)) { print "only in the Windows build: " key; bad = 1; next }
    split(linux[key], expected, " ")
    if ($1 !~ /^analysis-/) {
        if ($0 != linux[key]) { print "differs: " $0 " (Linux " expected[3] ")"; bad = 1 }
        else same++
        next
    }
    worst = 0
    for (i = 3; i <= NF; i++) {
        d = $i - expected[i]; if (d < 0) d = -d
        m = expected[i] < 0 ? -expected[i] : expected[i]
        if (m < 1e-30) m = 1e-30
        if (d / m > worst) worst = d / m
    }
    if (NF != length(expected) || worst > 1e-5) { print "analysis differs: " key " (relative " worst ")"; bad = 1 }
    else close_++
}
END {
    for (key in linux) if (!(key in seen)) { print "missing in the Windows build: " key; bad = 1 }
    printf "%d renders equal bit for bit, %d analyses within 1e-5\n", same, close_
    exit bad
}
