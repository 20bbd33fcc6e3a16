# Sourced by the build scripts. ninja_quietly ARGS... runs ninja: on a terminal
# as it is (its one status line), elsewhere (CI, a log) quietly, printing one
# line with the number of build steps, or on failure the errors and the steps
# that failed.
ninja_quietly() {
    if [ -t 1 ]; then
        ninja "$@"
        return
    fi
    log=$(mktemp)
    if ninja "$@" >"$log" 2>&1; then
        steps=$(grep -c '^\[[0-9]*/[0-9]*\]' "$log" || true)
        echo "ninja $*: $steps build steps, no errors"
        rm -f "$log"
    else
        grep -v '^\[[0-9]*/[0-9]*\]' "$log" | head -200 >&2
        rm -f "$log"
        echo "ninja $*: build failed" >&2
        return 1
    fi
}
