#!/bin/sh
# Installs the build twice into a scratch folder: for a user (HOME pointed at
# the scratch folder, no prefix) and under a prefix; checks where the plug-in
# and the command-line host land and that the installed host runs.
set -e
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

HOME="$scratch/home" cmake --install "$build" >/dev/null
test -f "$scratch/home/.vst/Tovarine.so"
test -x "$scratch/home/.local/bin/tovarine"

cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
test -f "$scratch/prefix/lib/vst/Tovarine.so"
test -x "$scratch/prefix/bin/tovarine"
test ! -e "$scratch/prefix/.vst"

"$scratch/prefix/bin/tovarine" info | grep -q "Tovarine 88 Resonator"
"$scratch/prefix/bin/tovarine" --version | grep -qx "tovarine [0-9.]*"
echo "installed to ~/.vst, ~/.local/bin and under a prefix"
