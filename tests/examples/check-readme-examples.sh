#!/bin/sh
# Runs every `tovarine` command of the README's shell examples as written, in
# order, from a scratch folder holding only a link to examples/; fails on the
# first non-zero exit. Then checks that the committed example files are what
# examples/make-examples.sh makes.
#   check-readme-examples.sh SOURCE_FOLDER BUILD_FOLDER
set -e
source=$1 build=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
ln -s "$source/examples" "$scratch/examples"

awk '/^```sh$/ {inside = 1; next} /^```/ {inside = 0} inside && /^tovarine / {print}' "$source/README.md" >"$scratch/commands"
count=$(wc -l <"$scratch/commands")
[ "$count" -ge 10 ] || { echo "only $count tovarine examples found in README.md" >&2; exit 1; }
while read -r command; do
    if ! (cd "$scratch" && PATH="$build:$PATH" sh -c "$command" >"$scratch/log" 2>&1); then
        cat "$scratch/log" >&2
        echo "README example failed: $command" >&2
        exit 1
    fi
done <"$scratch/commands"

mkdir "$scratch/made"
"$source/examples/make-examples.sh" "$build" "$scratch/made"
for file in "$scratch/made"/*; do
    cmp "$file" "$source/examples/$(basename "$file")" || { echo "examples/$(basename "$file") is out of date: run examples/make-examples.sh" >&2; exit 1; }
done
echo "$count README examples ran; the example files are up to date"
