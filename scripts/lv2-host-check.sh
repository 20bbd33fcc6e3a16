#!/bin/sh
# Runs the built LV2 bundle inside Debian's Ardour, headless (Dummy backend),
# by the plug-in's URI, one Ardour process per step: find it, add it to a
# stereo track, load a preset, set parameters, play noise and MIDI (channels
# 1 and 2) through it, save; then reopen the session in a new process, play
# and save again. Passes when the output is finite and not silent both times
# and the parameters and the plug-in's saved state are the same after reopening.
# Last, the editor in Ardour's GUI (scripts/lv2-host-check/ardour-ui.sh).
#   lv2-host-check.sh [BUILD_DIR]    (default build; the bundle is BUILD_DIR/Tovarine.lv2)
set -e
case "$1" in -h|--help) sed -n '2,/^set -e/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
cd "$(dirname "$0")/.."
BUILD=${1:-build}
[ -f "$BUILD/Tovarine.lv2/manifest.ttl" ] || { echo "lv2 host check: no bundle in $BUILD/Tovarine.lv2" >&2; exit 1; }
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if ! command -v ardour7-lua >/dev/null 2>&1; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq ardour >/dev/null
fi
URI=https://tovarine.org/lv2/88-resonator
work=$(mktemp -d -t lv2-host-check.XXXXXX)
trap '[ -n "$LV2C_KEEP" ] && echo "kept $work" || rm -rf "$work"' EXIT
# A private Ardour home, and exactly this bundle on the LV2 path.
mkdir -p "$work/config/ardour7/scripts" "$work/cache" "$work/data" "$work/lv2"
cp scripts/lv2-host-check/source.lua "$work/config/ardour7/scripts/lv2-check-source.lua"
cp scripts/lv2-host-check/tap.lua "$work/config/ardour7/scripts/lv2-check-tap.lua"
cp -r "$BUILD/Tovarine.lv2" "$work/lv2/"
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"
export LV2_PATH="$work/lv2"
unset DISPLAY WAYLAND_DISPLAY
# Channel 1: a chord from 0.1 s to 2 s; channel 2: the feedback voice from 0.5 s to 2.5 s (samples at 48 kHz).
export LV2C_WORK="$work" LV2C_URI="$URI" LV2C_SECONDS=4 LV2C_PRESET="$URI#preset-02"
# The feedback delay follows the tempo (parameter 33: a quarter note a step): note 7 echoes every second.
export LV2C_PARAMS="20=0.8 31=0.8 33=0.3"
export LV2C_NOTES="4800 144 48 100;4800 144 60 100;4800 144 64 90;24000 145 7 110;96000 128 48 0;96000 128 60 0;96000 128 64 0;120000 129 7 0"

get() { awk -F'\t' -v k="$1" '$1 == k { v = $2 } END { print v }' "$work/$2.tsv"; }
step() {
    LV2C_STEP=$1 timeout -k 10 180 stdbuf -oL ardour7-lua scripts/lv2-host-check/session.lua > "$work/$1.log" 2>&1 </dev/null || true
    [ -z "$(get dry_rms_db "$1")" ] || echo "$1: the check's source alone: RMS $(get dry_rms_db "$1") dBFS"
    echo "$1: output RMS $(get wet_rms_db "$1") dBFS, peak $(get wet_peak_db "$1") dBFS, finite $(get wet_finite "$1")"
    if [ -n "$(get fail "$1")" ] || [ "$(get closed "$1")" != yes ]; then
        echo "lv2 host check: $1 failed: $(get fail "$1")" >&2
        tail -15 "$work/$1.log" >&2
        exit 1
    fi
    [ "$(get wet_finite "$1")" = yes ] || { echo "lv2 host check: $1: non-finite output" >&2; exit 1; }
    awk -v r="$(get wet_rms_db "$1")" 'BEGIN { exit !(r > -100) }' || { echo "lv2 host check: $1: silent output" >&2; exit 1; }
}
# The plug-in's state as Ardour saved it last (Ardour writes a new state folder only when it changed).
last_state() { find "$work/session/plugins" -name state.ttl -printf '%T@ %p\n' | sort -n | tail -1 | cut -d' ' -f2; }

step create
echo "scan: $(get scan create); $(get ports create); preset \"$(get preset create)\""
echo "create: without the notes: RMS $(get quiet_rms_db create) dBFS"
awk -v a="$(get wet_rms_db create)" -v b="$(get quiet_rms_db create)" 'BEGIN { exit !(a > b + 3) }' ||
    { echo "lv2 host check: the notes make no difference: MIDI does not reach the plug-in" >&2; exit 1; }
cp "$(last_state)" "$work/state-created.ttl"
grep -q 'atom:Chunk\|base64Binary' "$work/state-created.ttl" || { echo "lv2 host check: no bank in the saved state" >&2; exit 1; }
step reopen
awk -F'\t' '$1 == "param"' "$work/create.tsv" > "$work/params-created"
awk -F'\t' '$1 == "param"' "$work/reopen.tsv" > "$work/params-reopened"
if ! cmp -s "$work/params-created" "$work/params-reopened"; then
    echo "lv2 host check: parameters differ after reopening:" >&2
    diff "$work/params-created" "$work/params-reopened" | head -10 >&2
    exit 1
fi
if ! cmp -s "$work/state-created.ttl" "$(last_state)"; then
    echo "lv2 host check: the saved state differs after reopening" >&2
    exit 1
fi
echo "reopen: $(wc -l < "$work/params-created") parameters and the saved state the same"
scripts/lv2-host-check/ardour-ui.sh "$work" "$BUILD"
echo "lv2 host check: PASS"
