#!/bin/sh
# Checks the built LV2 bundle as a host and a plug-in linter would see it:
# the Turtle against the LV2 schemas, the exports of the DSP and UI binaries, the
# DSP binary's libraries, and the ports, features, presets and UI lilv reads from
# the bundle.
# Usage: check-bundle.sh BUNDLE_DIR
set -eu
bundle=${1:?usage: check-bundle.sh BUNDLE_DIR}
uri=https://tovarine.org/lv2/88-resonator
binary=$bundle/Tovarine_dsp.so
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

for f in manifest.ttl Tovarine.ttl presets.ttl ui.ttl Tovarine_dsp.so Tovarine_ui.so; do
    [ -f "$bundle/$f" ] || { echo "FAIL: the bundle has no $f" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

lv2_validate "$bundle"/*.ttl >"$work/validate.log" 2>&1 || { cat "$work/validate.log" >&2; fail "lv2_validate found errors"; }

exports=$(nm -D --defined-only "$binary" | awk '{print $NF}')
[ "$exports" = lv2_descriptor ] || fail "the DSP binary exports more than lv2_descriptor: $exports"
gui=$(objdump -p "$binary" | awk '/NEEDED/ {print $2}' | grep -Ei 'x11|xcb|cairo|fontconfig|freetype|gtk|qt' || true)
[ -z "$gui" ] || fail "the DSP binary links GUI libraries: $gui"
ui_exports=$(nm -D --defined-only "$bundle/Tovarine_ui.so" | awk '{print $NF}')
[ "$ui_exports" = lv2ui_descriptor ] || fail "the UI binary exports more than lv2ui_descriptor: $ui_exports"

# lilv sees the bundle alone (and the LV2 schemas) through a folder of its own.
mkdir "$work/path"
ln -s "$(cd "$bundle" && pwd)" "$work/path/Tovarine.lv2"
LV2_PATH="$work/path:/usr/lib/lv2" lv2info "$uri" >"$work/info.txt" 2>"$work/info.err" || { cat "$work/info.err" >&2; fail "lv2info cannot read the plug-in"; }

presets=$(awk '/^	Presets:/ {on = 1; next} on && /^	         / {n++; next} on {on = 0} END {print n + 0}' "$work/info.txt")
[ "$presets" -eq 32 ] || fail "lv2info lists $presets presets, not 32"
grep -q 'Class:  http://lv2plug.in/ns/extensions/ui#X11UI' "$work/info.txt" || fail "lv2info lists no X11 UI"

# Every port: a symbol of its own; every control port: minimum <= default <= maximum,
# whole values where it is an integer, its default among its scale points where it is an enumeration.
awk '
    function whole(v) { return v == int(v) }
    function check(i, listed) {
        if (sym == "") return
        if (seen[sym]++) print sym ": a symbol used twice"
        if (min == "") return
        if (!(min + 0 <= def + 0 && def + 0 <= max + 0)) print sym ": default " def " outside " min ".." max
        if (props ~ /#integer/ && !(whole(min) && whole(max) && whole(def))) print sym ": an integer port with a fraction"
        if (props !~ /#enumeration/) return
        for (i = 1; i <= n; i++) {
            if (points[i] - def < 1e-6 && def - points[i] < 1e-6) listed = 1
            if (props ~ /#integer/ && !whole(points[i])) print sym ": scale point " points[i] " not whole"
        }
        if (!listed) print sym ": default " def " is none of its scale points"
    }
    /^	Port [0-9]*:/ { check(); ports++; sym = min = max = def = props = ""; n = inPoints = 0; next }
    /^		Scale Points:/ { inPoints = 1; next }
    inPoints && /^			/ { split($0, kv, " = "); gsub(/[ \t]/, "", kv[1]); points[++n] = kv[1]; next }
    { inPoints = 0 }
    /^		Symbol:/ { sym = $2 }
    /^		Minimum:/ { min = $2 }
    /^		Maximum:/ { max = $2 }
    /^		Default:/ { def = $2 }
    /^		Properties:/ { props = props " " $2 }
    /^		             http/ && props != "" { props = props " " $1 }
    END { check(); if (ports != 48) print ports " ports, not 48" }
' "$work/info.txt" >"$work/ports.txt"
[ ! -s "$work/ports.txt" ] || { cat "$work/ports.txt" >&2; fail "ports a linter would reject"; }

# Every feature the binary asks its host for, and every extension it answers, is declared.
declared=$(sed -n '/Required Features:/,/Presets:/p' "$work/info.txt")
for name in urid#map urid#unmap options#options log#log worker#schedule state#mapPath state#makePath \
    state#freePath state#interface worker#interface options#interface data-access instance-access; do
    full="http://lv2plug.in/ns/ext/$name"
    if strings "$binary" | grep -qx "$full"; then
        echo "$declared" | grep -q "$full" || fail "the binary uses $full, the Turtle does not declare it"
    fi
done
for name in urid#map buf-size#boundedBlockLength; do
    sed -n '/Required Features:/,/Optional Features:/p' "$work/info.txt" | grep -q "ext/$name" || fail "$name is not a required feature"
done

[ "$failures" -eq 0 ] && echo "bundle check passed: 48 ports, $presets presets"
exit "$failures"
