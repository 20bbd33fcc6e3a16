#!/bin/sh
# Fails unless the plug-in's dynamic symbol table defines exactly main and
# VSTPluginMain (besides the markers the linker itself adds).
set -e
symbols=$(nm -D --defined-only "$1" | awk '{print $3}' | grep -vxE '__bss_start|_edata|_end|_init|_fini' | sort | tr '\n' ' ')
if [ "$symbols" != "VSTPluginMain main " ]; then
    echo "unexpected exported symbols: $symbols" >&2
    exit 1
fi
echo "exports: $symbols"
