# Sourced by the checks of the LV2 editor in real hosts (lv2-ui-check.sh for jalv,
# lv2-host-check/ardour-ui.sh for Ardour): the editor's pixels, and XTest input on
# it. The caller sets build, work, ui (the editor's window), x and y (its place on
# the screen) and defines fail.

# The editor's pixels: equal to the VST 2 editor's, or with SETTING (TOVARINE_UI_SAVE=FILE,
# TOVARINE_UI_EXPECT=FILE) saved to or compared with a file; MESSAGE when they are not.
editor_pixels() {  # MESSAGE [SETTING]
    env ${2:+"$2"} TOVARINE_UI_WINDOW="$ui" "$build/tests/lv2/lv2_ui_test" --gtest_filter='Lv2UiInHost.*' \
        >"$work/compare.log" 2>&1 || { cat "$work/compare.log" >&2; fail "$1"; }
}
# A drag from one point of the editor to another.
editor_drag() {  # X0 Y0 X1 Y1
    xdotool mousemove $((x + $1)) $((y + $2)) mousedown 1 sleep 0.3 mousemove $((x + $3)) $((y + $4)) sleep 0.3 mouseup 1
    sleep 0.5
}
# The bar display's menu, its first entry: "Load Tuning Map".
editor_load_tuning_map() {
    xdotool mousemove $((x + 300)) $((y + 200)) click 3 sleep 0.5 mousemove $((x + 340)) $((y + 211)) click 1
}
# Without a window manager a window takes the keyboard once it is ready for it: focus until it has.
focus_window() {  # WINDOW
    for _ in 1 2 3 4 5 6 7 8 9 10; do
        xdotool windowfocus "$1" 2>/dev/null
        sleep 0.5
        [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    done
    return 1
}
