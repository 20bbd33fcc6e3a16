# Sourced by the install scripts (as root, or through sudo). install_missing
# installs those of the Debian packages named that are missing, quietly: one
# line naming them; apt's own output goes to a log shown only on failure.
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
APT="apt-get -o DPkg::Lock::Timeout=900"
apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT

run_quietly() {
    if ! "$@" >>"$apt_log" 2>&1; then
        tail -30 "$apt_log" >&2
        echo "install: '$*' failed" >&2
        exit 1
    fi
}

# A mirror in the middle of a sync fails an index now and then: try again, then go on
# with the package lists there are (an install that still cannot find a package says so).
apt_updated=""
apt_update() {
    [ -n "$apt_updated" ] && return 0
    apt_updated=1
    for pause in 20 40 0; do
        $SUDO $APT update -qq >>"$apt_log" 2>&1 && return 0
        sleep "$pause"
    done
    tail -5 "$apt_log" >&2
    echo "install: 'apt-get update' failed; going on with the package lists there are" >&2
}

install_missing() {
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
    done
    [ -n "$missing" ] || return 0
    echo "Installing Debian packages:$missing"
    apt_update
    run_quietly $SUDO env DEBIAN_FRONTEND=noninteractive $APT install -y -qq --no-install-recommends $missing
}
