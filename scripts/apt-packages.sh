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

apt_updated=""
apt_update() {
    [ -n "$apt_updated" ] || { run_quietly $SUDO $APT update -qq; apt_updated=1; }
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
