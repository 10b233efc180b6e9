# Sourced by the scripts that show real windows under Wine: starts a private
# X server on a display nobody holds, points DISPLAY at it and makes sure no
# wineserver of the prefix keeps an older display. xvfb_stop ends both;
# window_session does it all for a script: a scratch directory in $tmp, the
# X server, and both removed when the script exits.
# Needs PELLUMO_WINEPREFIX set.
xvfb_pid=
xvfb_start() {
    local n=90
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    export DISPLAY=:$n
    WINEPREFIX=$PELLUMO_WINEPREFIX wineserver -k >/dev/null 2>&1 || true  # none running is no failure
    # No window manager runs here: Wine draws captions and frames itself (so
    # screenshots show them) and does not wait for a manager that never
    # answers, which blocks the program's thread two seconds at every hide.
    "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-run" reg add 'HKCU\Software\Wine\X11 Driver' \
        /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
}
xvfb_stop() {
    WINEPREFIX=$PELLUMO_WINEPREFIX wineserver -k >/dev/null 2>&1 || true  # none running is no failure
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true; fi
    xvfb_pid=
}
window_session() {
    tmp=$(mktemp -d)
    trap 'xvfb_stop; rm -rf "$tmp"' EXIT
    xvfb_start
}
