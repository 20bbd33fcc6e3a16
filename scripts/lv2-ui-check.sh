#!/bin/sh
# The LV2 editor in a real host: jalv's GTK front end on JACK's dummy driver under a
# private Xvfb. The UI opens inside the host's window with the VST 2 editor's
# pixels; a knob dragged and a stroke drawn with XTest input reach the state the
# host saves (the knob as the host's port value); the saved state, loaded into a
# new host process, shows the same pixels; a map chosen in the editor's dialog
# reaches the DSP through jalv and is in the state jalv saves. Exits 77 (skipped) when jalv, jackd,
# Xvfb or xdotool is missing or JACK does not start.
# Usage: lv2-ui-check.sh BUILD_DIR
set -u
case "${1:-}" in -h|--help) sed -n '2,/^set -u/s/^# \{0,1\}//p' "$0"; exit 0 ;; esac
build=$(cd "${1:?usage: lv2-ui-check.sh BUILD_DIR}" && pwd)
uri=https://tovarine.org/lv2/88-resonator
for tool in jalv.gtk3 jackd Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null; done
    for p in $pids; do wait "$p" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
. "$(dirname "$0")/lv2-ui-input.sh"

display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids="$pids $!"
export DISPLAY=":$display" JACK_DEFAULT_SERVER="tovarine-ui-check-$$"
jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
pids="$pids $!"
if ! timeout 10 jack_wait -w >/dev/null 2>&1; then
    echo "skipped: JACK's dummy driver does not start"; cat "$work/jackd.log"; exit 77
fi
mkdir "$work/path"
ln -s "$build/Tovarine.lv2" "$work/path/Tovarine.lv2"
export LV2_PATH="$work/path:/usr/lib/lv2"

# Starts jalv (with extra arguments) and sets ui to the editor's window and x, y to its place.
jalv_pid=""
start_host() {
    jalv.gtk3 "$@" "$uri" >"$work/jalv.log" 2>&1 &
    jalv_pid=$!
    pids="$pids $jalv_pid"
    ui=$(timeout 20 xdotool search --sync --onlyvisible --name '^Window$' | head -n 1)
    [ -n "$ui" ] || { cat "$work/jalv.log" >&2; fail "jalv shows no editor"; exit 1; }
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$ui")"
    x=$X y=$Y
}

start_host
xwininfo -id "$ui" -tree | grep -q 'Parent window id: .*(the root window)' && fail "the editor is not inside jalv's window"
editor_pixels "the editor in jalv differs from the VST 2 editor"
editor_drag 121 392 133 366  # the feedback level knob to the top of its sweep
editor_drag 84 175 294 275   # a stroke across the bars
editor_pixels "the editor in jalv cannot be read" TOVARINE_UI_SAVE="$work/shown.rgb"

# jalv's File > Save: its chooser takes the folder's path.
save_state() {
    focus_window "$(xdotool search --onlyvisible --name '^Tovarine 88 Resonator$' | head -n 1)"
    xdotool key ctrl+s
    chooser=$(timeout 10 xdotool search --sync --onlyvisible --name '^Save State$' | head -n 1)
    focus_window "$chooser" || fail "the save chooser takes no keys"
    sleep 2  # the chooser reads its folder first
    xdotool key ctrl+a
    xdotool type --delay 50 "$1"
    sleep 1
    xdotool key Return
    for _ in 1 2 3 4 5 6 7 8 9 10; do [ -s "$1/state.ttl" ] && break; sleep 0.5; done
    [ -s "$1/state.ttl" ] || fail "jalv saved no state"
}
save_state "$work/state"
level=$(awk '/"fb_level"/ {getline; print $2}' "$work/state/state.ttl")
awk -v v="$level" 'BEGIN {exit !(v > 0.4 && v < 0.6)}' || fail "the host's fb_level is '$level', not the knob's 0.5"

kill "$jalv_pid"
wait "$jalv_pid" 2>/dev/null || true
# jalv offers no chooser of its own: "Load Tuning Map" runs the dialog (a stand-in zenity
# answering a map), and the editor sends the choice through jalv to the DSP's worker.
mkdir "$work/bin"
tun=$(cd "$(dirname "$0")/.." && pwd)/tests/data/tun/parnassus_19EDO_v1.tun
printf '#!/bin/sh\necho "%s"\n' "$tun" > "$work/bin/zenity"
chmod +x "$work/bin/zenity"
PATH="$work/bin:$PATH" start_host -l "$work/state"
editor_pixels "the saved state shows other pixels in a new host" TOVARINE_UI_EXPECT="$work/shown.rgb"
editor_load_tuning_map
sleep 2
save_state "$work/state2"
grep -qF "${tun##*/}" "$work/state2/state.ttl" || fail "the map chosen in the dialog is not in the state jalv saved"

[ "$failures" -eq 0 ] && echo "lv2 ui check passed: jalv embeds the editor, its knob and stroke survive save and reload, a dialog's map reaches the DSP"
exit "$failures"
