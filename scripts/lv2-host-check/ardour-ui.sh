#!/bin/sh
# The LV2 editor inside Ardour's own window: opens the session the LV2 host check
# saved (WORK/session) in Ardour 7's GUI under a private Xvfb, on JACK's dummy
# driver, with the plug-in's window marked open, so that Ardour opens the editor
# with the session as it reopens a user's plug-in windows. Then, with XTest input,
# a knob dragged becomes the host's port value in the session Ardour saves, and a
# stroke drawn on the bars survives saving and reopening: a new Ardour process
# shows the same pixels. Last, "Load Tuning Map" asks Ardour for the file
# (ui:requestValue): Ardour's own chooser opens, and the map chosen there is
# loaded by the plug-in's worker and saved in its state.
#   ardour-ui.sh WORK BUILD    (run by lv2-host-check.sh, inside its private Ardour home)
set -u
work=$1
build=$2
for tool in ardour jackd jack_wait Xvfb xdotool xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || { echo "ardour ui: skipped: $tool is not installed"; exit 0; }
done
[ -x "$build/tests/lv2/lv2_ui_test" ] || { echo "ardour ui: skipped: no test build in $build"; exit 0; }
session="$work/session/lv2check.ardour"
pids=""
cleanup() {
    for p in $pids; do kill "$p" 2>/dev/null; done
    for p in $pids; do wait "$p" 2>/dev/null; done
}
trap cleanup EXIT
fail() { echo "lv2 host check: ardour ui: $*" >&2; exit 1; }
. "$(dirname "$0")/../lv2-ui-input.sh"

# The plug-in's window open in the session, as Ardour saves it for a window left open;
# no hint of the Dummy backend the session was made with (Ardour would ask about it).
route=$(sed -n 's/.*<Route [^>]* id="\([0-9]*\)" name="lv2".*/\1/p' "$session" | head -n 1)
insert=$(sed -n 's/.*<Processor id="\([0-9]*\)" name="Tovarine 88 Resonator".*/\1/p' "$session" | head -n 1)
[ -n "$route" ] && [ -n "$insert" ] || fail "no plug-in in the saved session"
window="<Window name=\"P-$route-$insert\" visible=\"1\" x-off=\"0\" y-off=\"0\" x-size=\"-1\" y-size=\"-1\" custom-ui=\"1\"/>"
sed -i -e '/<EngineHints /d' "$session"
if grep -q '<UI>' "$session"; then
    sed -i "s|<UI>|<UI>$window|" "$session"
else
    sed -i "s|</Session>|<Extra><UI>$window</UI></Extra></Session>|" "$session"
fi
# Ardour's first-run questions answered (and its warning of a locked-memory limit,
# which waits for OK before the session loads), and JACK as its audio system.
config="$XDG_CONFIG_HOME/ardour7"
touch "$config/.a7"
printf '<?xml version="1.0" encoding="UTF-8"?>\n<instant>\n  <no-memory-warning/>\n</instant>\n' > "$config/instant.xml"
cat > "$config/config" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<Ardour>
  <Config>
    <Option name="try-autostart-engine" value="1"/>
  </Config>
  <Extra>
    <AudioMIDISetup>
      <EngineStates>
        <State backend="JACK" driver="" device="" input-device="" output-device="" sample-rate="48000"
               buffer-size="1024" n-periods="2" input-latency="0" output-latency="0" lm-input="" lm-output=""
               active="1" use-buffered-io="0" midi-option="" lru="1"><MIDIDevices/></State>
      </EngineStates>
    </AudioMIDISetup>
  </Extra>
</Ardour>
EOF

display=70
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids="$pids $!"
# Ardour's JACK backend looks for the default server.
export DISPLAY=":$display"
unset JACK_DEFAULT_SERVER
jackd -d dummy -r 48000 -p 1024 >"$work/jackd.log" 2>&1 &
pids="$pids $!"
timeout 10 jack_wait -w >/dev/null 2>&1 || { cat "$work/jackd.log"; echo "ardour ui: skipped: JACK's dummy driver does not start"; exit 0; }

# Starts Ardour on the session and sets ui to the editor's window and x, y to its place.
ardour_pid=""
start_ardour() {
    ardour -n -a "$session" >"$work/ardour-ui-$1.log" 2>&1 &
    ardour_pid=$!
    pids="$pids $ardour_pid"
    top=$(timeout 120 xdotool search --sync --onlyvisible --name '^lv2: Tovarine 88 Resonator' | head -n 1)
    [ -n "$top" ] || { tail -20 "$work/ardour-ui-$1.log" >&2; fail "$1: Ardour opens no plug-in window"; }
    sleep 3
    ui=$(xwininfo -tree -id "$top" | awk '/"Window"/ && / 640x420\+/ { print $1; exit }')
    [ -n "$ui" ] || { xwininfo -tree -id "$top" >&2; fail "$1: the editor is not inside Ardour's plug-in window"; }
    eval "$(xdotool getwindowgeometry --shell "$ui")"
    x=$X y=$Y
}
# Session > Save from the keyboard, in the session's main window.
save() {
    main=$(xdotool search --onlyvisible --name ' - Ardour$' | head -n 1)
    before=$(stat -c %Y.%s "$session")
    focus_window "$main"
    xdotool key ctrl+s
    for _ in 1 2 3 4 5 6 7 8 9 10; do [ "$(stat -c %Y.%s "$session")" != "$before" ] && return 0; sleep 1; done
    fail "Ardour saved no session"
}
stop_ardour() {
    kill "$ardour_pid" 2>/dev/null
    wait "$ardour_pid" 2>/dev/null
}

start_ardour open
editor_pixels "the editor in Ardour cannot be read" TOVARINE_UI_SAVE="$work/opened.rgb"
editor_drag 121 392 133 366  # the feedback level knob to the top of its sweep
editor_drag 84 175 294 275   # a stroke across the bars
sleep 1
editor_pixels "the editor in Ardour cannot be read" TOVARINE_UI_SAVE="$work/shown.rgb"
cmp -s "$work/opened.rgb" "$work/shown.rgb" && fail "the drag and the stroke changed nothing on the screen"
save
level=$(sed -n 's/.*<Port symbol="fb_level" value="\([^"]*\)".*/\1/p' "$session" | head -n 1)
awk -v v="$level" 'BEGIN { exit !(v > 0.45 && v < 0.55) }' || fail "Ardour's fb_level is '$level', not the knob's 0.5"
echo "ardour ui: the editor opens in Ardour's plug-in window; the dragged knob is Ardour's fb_level $level"
stop_ardour
# The map to choose, among the chooser's recently used files.
tun="$(pwd)/tests/data/tun/parnassus_19EDO_v1.tun"
mkdir -p "$XDG_DATA_HOME"
cat > "$XDG_DATA_HOME/recently-used.xbel" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<xbel version="1.0" xmlns:bookmark="http://www.freedesktop.org/standards/desktop-bookmarks"
      xmlns:mime="http://www.freedesktop.org/standards/shared-mime-info">
  <bookmark href="file://$tun" added="2026-01-01T00:00:00Z" modified="2026-01-01T00:00:00Z" visited="2026-01-01T00:00:00Z">
    <info><metadata owner="http://freedesktop.org"><mime:mime-type type="application/octet-stream"/>
      <bookmark:applications><bookmark:application name="Ardour" exec="ardour %u" modified="2026-01-01T00:00:00Z" count="1"/></bookmark:applications>
    </metadata></info>
  </bookmark>
</xbel>
EOF
start_ardour reopen
editor_pixels "the reopened session shows other pixels" TOVARINE_UI_EXPECT="$work/shown.rgb"
echo "ardour ui: reopened, the editor shows the knob and the stroke as saved"

editor_load_tuning_map
chooser=$(timeout 10 xdotool search --sync --onlyvisible --name '^Tuning map$' | head -n 1)
[ -n "$chooser" ] || fail "Load Tuning Map opens no file chooser of Ardour's"
sleep 2
eval "$(xdotool getwindowgeometry --shell "$chooser")"
xdotool mousemove $((X + 259)) $((Y + 90)) click --repeat 2 --delay 100 1  # the first recent file
for _ in 1 2 3 4 5 6 7 8 9 10; do
    xdotool search --onlyvisible --name '^Tuning map$' >/dev/null 2>&1 || break
    sleep 0.5
done
sleep 2
save
# Ardour keeps a link to the file beside the state and names that.
find "$work/session/plugins" -name state.ttl -exec grep -qF "${tun##*/}" {} + || fail "the map chosen in Ardour's chooser is not in the state Ardour saved"
echo "ardour ui: Load Tuning Map opens Ardour's file chooser; the map chosen there is in the saved state"
