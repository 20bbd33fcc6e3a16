#!/bin/sh
# Installs the build into scratch folders: under CMake's default prefix, under
# an explicit one (/usr/local included: a prefix asked for is always honoured)
# and for a user (HOME pointed at the scratch folder); checks where everything
# lands, that nothing strays into HOME unasked, that the copies are stripped,
# and that the installed host runs.
set -e
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
home="$scratch/home"
mkdir -p "$home"
stripped() { file -L "$1" | grep -q ', stripped'; }

for prefix in "$scratch/prefix" "$scratch/usr/local"; do
    HOME=$home cmake --install "$build" --prefix "$prefix" >/dev/null
    stripped "$prefix/lib/vst/Tovarine.so"
    test -x "$prefix/bin/tovarine" && stripped "$prefix/bin/tovarine"
    if [ -d "$build/Tovarine.lv2" ]; then test -f "$prefix/lib/lv2/Tovarine.lv2/manifest.ttl"; fi
done
test -z "$(ls -A "$home")"

HOME=$home PATH=/usr/bin:/bin cmake --install "$build" --component user >"$scratch/log" 2>&1
stripped "$home/.vst/Tovarine.so"
stripped "$home/.local/bin/tovarine"
if [ -d "$build/Tovarine.lv2" ]; then test -f "$home/.lv2/Tovarine.lv2/manifest.ttl"; fi
grep -q "is not on your PATH" "$scratch/log"

"$scratch/prefix/bin/tovarine" info --plugin "$scratch/prefix/lib/vst/Tovarine.so" | grep -q "Tovarine 88 Resonator"
"$scratch/prefix/bin/tovarine" --version | grep -qx "tovarine [0-9.]*"
echo "installed under two prefixes and for a user"
