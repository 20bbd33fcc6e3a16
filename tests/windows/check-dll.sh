#!/bin/sh
# Fails unless a Windows build of the plug-in exports exactly VSTPluginMain and
# main and imports nothing but Windows system DLLs (the C++ runtime, libgcc and
# winpthread are linked in).
#   check-dll.sh OBJDUMP Tovarine.dll
set -e
table=$("$1" -p "$2")
exports=$(printf '%s\n' "$table" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && $NF !~ /Table/ {print $NF}' | sort | tr '\n' ' ')
if [ "$exports" != "VSTPluginMain main " ]; then
    echo "$2: unexpected exports: $exports" >&2
    exit 1
fi
imports=$(printf '%s\n' "$table" | awk '/DLL Name:/ {print tolower($3)}' | sort -u | tr '\n' ' ')
for dll in $imports; do
    case "$dll" in
        kernel32.dll|user32.dll|gdi32.dll|comdlg32.dll|ole32.dll|shell32.dll|msvcrt.dll|advapi32.dll) ;;
        *) echo "$2: imports $dll, which is not a Windows system DLL" >&2; exit 1 ;;
    esac
done
echo "$2: exports $exports; imports $imports"
