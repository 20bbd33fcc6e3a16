#!/bin/sh
# Fails unless the plug-in's dynamic symbol table defines exactly main and VSTPluginMain.
set -e
symbols=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ')
if [ "$symbols" != "VSTPluginMain main " ]; then
    echo "unexpected exported symbols: $symbols" >&2
    exit 1
fi
echo "exports: $symbols"
