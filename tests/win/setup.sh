#!/usr/bin/env bash
# The setup dialog under Wine on a private X server: the SetupDialog and
# XPColorCombo tests, then the dialog held open with its logo while the whole
# screen is photographed into build/setup.png (a test artefact, not kept in
# git).
#   setup.sh PELLUMO_UNIT_TESTS.EXE
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
exe=$1
wine=$here/scripts/wine-run
shot=$here/build/setup.png
export PELLUMO_WINEPREFIX=${PELLUMO_WINEPREFIX:-$here/build/wineprefix-setup}
tmp=$(mktemp -d)
. "$here/tests/win/xvfb.sh"
cleanup() {
    xvfb_stop
    rm -rf "$tmp"
}
trap cleanup EXIT
xvfb_start

# No window manager runs on the private display: Wine then draws the
# dialog's caption and frame itself, so they are in the picture too.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1

passes=0 fails=0
count() {  # adds the passed/failed counts of one GoogleTest output
    local p f
    p=$(tr -d '\r' <"$1" | grep -c '^\[       OK \]')
    f=$(tr -d '\r' <"$1" | grep -c '^\[  FAILED  \] .*(')
    passes=$((passes + p)) fails=$((fails + f))
}

"$wine" "$exe" --gtest_filter='SetupDialog*:XPColorCombo*' >"$tmp/tests.log" 2>&1
rc=$?
tr -d '\r' <"$tmp/tests.log" | grep -E '^\[ *(RUN|OK|FAILED|SKIPPED) *\]|Failure|Expected|Which is|actual|  [A-Za-z]' | head -200
count "$tmp/tests.log"
if [ $rc -ne 0 ] && [ "$(tr -d '\r' <"$tmp/tests.log" | grep -c '^\[  FAILED  \] .*(')" -eq 0 ]; then
    echo "FAIL the test program ended with $rc"; fails=$((fails + 1))
fi
if [ "$(tr -d '\r' <"$tmp/tests.log" | grep -c '^\[  SKIPPED \]')" -ne 0 ]; then
    echo "FAIL tests were skipped: the display was not usable"; fails=$((fails + 1))
fi

# The screenshot: the test writes the marker once the dialog is up.
marker=$tmp/shown
PELLUMO_SETUP_SHOT="Z:${marker//\//\\}" "$wine" "$exe" --gtest_filter='SetupScreenshot*' >"$tmp/shot.log" 2>&1 &
shot_pid=$!
for _ in $(seq 150); do [ -e "$marker" ] && break; sleep 0.1; done
if [ -e "$marker" ]; then
    sleep 0.5
    rm -f "$shot"
    if import -display "$DISPLAY" -window root "$shot" 2>"$tmp/import.log" && [ -s "$shot" ]; then
        passes=$((passes + 1)); echo "screenshot: $shot"
    else
        fails=$((fails + 1)); echo "FAIL screenshot"; cat "$tmp/import.log"
    fi
else
    fails=$((fails + 1)); echo "FAIL the dialog did not come up for the screenshot"
fi
wait $shot_pid
shot_rc=$?
count "$tmp/shot.log"
if [ $shot_rc -ne 0 ]; then tr -d '\r' <"$tmp/shot.log" | tail -20; fi

echo "setup: $passes passed, $fails failed"
[ $fails -eq 0 ]
