#!/bin/sh
# The engine's FMA, AVX2 and AVX-512 objects may define no code but their entry
# points: a shared inline function or template emitted there could be chosen
# by the linker for every caller and run those instructions on a CPU without
# them. Arguments: the core library's object files.
set -e
status=0
for object in "$@"; do
    case "$(basename "$object")" in
    *Wide.cpp.o | *Widest.cpp.o | *Fused.cpp.o) ;;
    *) continue ;;
    esac
    symbols=$(nm --defined-only -C "$object" | awk '$2 ~ /^[TWi]$/ { $1 = ""; $2 = ""; print }' | sed 's/^ *//')
    count=$(printf '%s\n' "$symbols" | grep -c . || true)
    if [ "$count" -ne 1 ]; then
        echo "$(basename "$object") defines more than its entry point:" >&2
        printf '%s\n' "$symbols" >&2
        status=1
    else
        echo "$(basename "$object"): $symbols"
    fi
done
exit $status
