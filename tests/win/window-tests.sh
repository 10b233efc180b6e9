#!/usr/bin/env bash
# Window tests under Wine on a private X server: the named GoogleTest cases,
# then one test that holds its window on screen while the whole screen is
# photographed into build/NAME.png (a test artefact, not kept in git), and
# again for each DPI named after it into build/NAME-DPI.png (the prefix's
# LogPixels, which each new process reads, set back afterwards).
#   window-tests.sh NAME TESTS.EXE FILTER SHOT_FILTER [DPI...]
# The screenshot test is run with PELLUMO_SHOT naming a marker file, which it
# writes once its window is ready to be photographed; and once more in each
# language PELLUMO_SHOT_LANGUAGES names (tags, blank-separated), into
# build/NAME-TAG.png, with PELLUMO_LANGUAGE set to the tag. PELLUMO_SHOT_PAGES
# names further pages of a window that has them (numbers, blank-separated):
# each is photographed in English and each of those languages, into
# build/NAME-pageN.png and build/NAME-TAG-pageN.png, with PELLUMO_SHOT_PAGE set.
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
name=$1 exe=$2 filter=$3 shot_filter=$4
shift 4
dpis=("$@")
wine=$here/scripts/wine-run
shot=$here/build/$name.png
export PELLUMO_WINEPREFIX=${PELLUMO_WINEPREFIX:-$here/build/wineprefix-$name}
. "$here/tests/win/xvfb.sh"
window_session

. "$here/tests/checks.sh"
count() {  # adds the passed/failed counts of one GoogleTest output
    local p f
    p=$(tr -d '\r' <"$1" | grep -c '^\[       OK \]')
    f=$(tr -d '\r' <"$1" | grep -c '^\[  FAILED  \] .*(')
    passes=$((passes + p)) fails=$((fails + f))
}

"$wine" "$exe" --gtest_filter="$filter" >"$tmp/tests.log" 2>&1
rc=$?
tr -d '\r' <"$tmp/tests.log" | grep -E '^\[ *(RUN|OK|FAILED|SKIPPED) *\]|Failure|Expected|Which is|actual|  [A-Za-z]' | head -200
count "$tmp/tests.log"
if [ "$passes" -eq 0 ] && [ "$fails" -eq 0 ]; then
    # A filter left behind by a renamed test would otherwise pass on nothing.
    echo "FAIL no test matches $filter"; fails=$((fails + 1))
fi
if [ $rc -ne 0 ] && [ "$(tr -d '\r' <"$tmp/tests.log" | grep -c '^\[  FAILED  \] .*(')" -eq 0 ]; then
    echo "FAIL the test program ended with $rc"; fails=$((fails + 1))
fi
if [ "$(tr -d '\r' <"$tmp/tests.log" | grep -c '^\[  SKIPPED \]')" -ne 0 ]; then
    echo "FAIL tests were skipped: the display was not usable"; fails=$((fails + 1))
fi

shoot() {  # shoot FILE: runs the screenshot test and photographs its window into FILE
    local marker=$tmp/shown shot=$1 shot_pid shot_rc
    rm -f "$marker"
    PELLUMO_SHOT="Z:${marker//\//\\}" "$wine" "$exe" --gtest_filter="$shot_filter" >"$tmp/shot.log" 2>&1 &
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
        fails=$((fails + 1)); echo "FAIL the window did not come up for the screenshot"
    fi
    wait $shot_pid
    shot_rc=$?
    count "$tmp/shot.log"
    if [ $shot_rc -ne 0 ]; then tr -d '\r' <"$tmp/shot.log" | tail -20; fi
}
shoot "$shot"
desktop='HKCU\Control Panel\Desktop'
for dpi in "${dpis[@]}"; do
    "$wine" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    shoot "$here/build/$name-$dpi.png"
done
[ ${#dpis[@]} -eq 0 ] || "$wine" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1
for language in ${PELLUMO_SHOT_LANGUAGES:-}; do
    PELLUMO_LANGUAGE=$language shoot "$here/build/$name-$language.png"
done
for page in ${PELLUMO_SHOT_PAGES:-}; do
    PELLUMO_SHOT_PAGE=$page shoot "$here/build/$name-page$page.png"
    for language in ${PELLUMO_SHOT_LANGUAGES:-}; do
        PELLUMO_SHOT_PAGE=$page PELLUMO_LANGUAGE=$language shoot "$here/build/$name-$language-page$page.png"
    done
done

checks_done "$name"
