#!/bin/sh
# Runs the built plug-in inside Debian's Ardour, headless: scan, session,
# programs, parameters, MIDI, save and reopen.
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
cd "$(dirname "$0")/.."
CHECK=../shared/tools/ardour-host-check
if [ ! -x "$CHECK" ]; then
    echo "host check: $CHECK not found" >&2
    exit 1
fi
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if ! command -v ardour7-lua >/dev/null 2>&1 || ! command -v sox >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq ardour sox >/dev/null
fi
PLUGIN=build/Tovarine.so
"$CHECK" "$PLUGIN" --program 0 --midi --reload
"$CHECK" "$PLUGIN" --program 2 --note 2:60:100:0.2:1.5
