#!/usr/bin/env bash
# Pellumo end to end: the real pellumo.exe under Wine on a private X server,
# against a store made by mkstore, acted on as the user, the mail client and
# the shell would (pellumo-driver.exe). Screenshots of the popup and the
# setup dialog go to build/e2e/ (test artefacts, not kept in git).
#   e2e.sh PELLUMO.EXE PELLUMO-DRIVER.EXE MKSTORE PELLUMO-DBX
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
exe=$1 driver=$2 mkstore=$3 inspector=$4
wine=$here/scripts/wine-run
shots=$here/build/e2e
export PELLUMO_WINEPREFIX=${PELLUMO_WINEPREFIX:-$here/build/wineprefix-e2e}
. "$here/tests/win/xvfb.sh"
mkdir -p "$shots"
rm -f "$shots"/*.bmp "$shots"/*.png
window_session

. "$here/tests/checks.sh"
eml() {  # eml FILE SENDER SUBJECT BODY [ADDRESS]
    printf 'From: %s <%s>\r\nSubject: %s\r\nDate: Mon, 7 Dec 2026 10:00:00 +0000\r\nContent-Type: text/plain; charset="us-ascii"\r\n\r\n%s\r\n' \
        "$2" "${5:-someone@example.com}" "$3" "$4" >"$1"
}

# The store: Inbox and Archive are watched, Drafts is not, nor is Family (an
# ordinary folder, where a message rule files mail) until the user ticks it.
src=$tmp/src store=$tmp/store
mkdir -p "$src/Inbox" "$src/Archive" "$src/Drafts" "$src/Family" "$tmp/new"
echo 1 >"$src/Archive/kind"  # a mail folder like the Inbox
eml "$src/Inbox/01.eml" "Alice Example" "Lunch on Friday" "Shall we meet at noon?"
eml "$src/Inbox/02.read.eml" "Bob Example" "Old news" "Already read."
eml "$src/Inbox/03.high.eml" "Carol Example" "Server down" "The mail server is down."
eml "$src/Archive/01.low.eml" "Dan Example" "Newsletter" "This week in gardening."
eml "$src/Drafts/01.eml" "Me" "Unfinished" "Not watched."
eml "$src/Family/01.eml" "Mum" "Sunday lunch" "Unread since long before the tick."
new_store() {
    rm -rf "$store"
    "$mkstore" build "$store" "$src" >/dev/null
}
new_store

reg delete 'HKCU\Software\Ostrivane' /f
reg delete 'HKCU\Identities' /f
reg add 'HKCU\Identities' /v 'Last User ID' /d '{E2E-1}' /f
reg add 'HKCU\Identities\{E2E-1}' /v Username /d 'Main Identity' /f
reg add 'HKCU\Identities\{E2E-1}\Software\Microsoft\Outlook Express\5.0' /v 'Store Root' \
    /d "$(winpath "$store")" /f
# Short hints keep the run short.
settings() {
    reg delete 'HKCU\Software\Ostrivane' /f
    for v in AutoHideHint UseFading DisplayWhenOEActive HintTime; do
        reg add "$settings_key" /v $v /t REG_DWORD /d 1 /f
    done
}

pid=
start() {  # start [ARGS]: pellumo.exe in the background, up when this returns; a fresh log
    local log; log=$(log_file); [ -z "$log" ] || rm -f "$log"
    "$wine" "$exe" "$@" >"$tmp/pellumo.log" 2>&1 &
    pid=$!
    d wait-start 30 >/dev/null
    # Someone at the desk: without any input the user counts as away.
    d nudge >/dev/null
    # The watcher thread arms its change notification a moment after start.
    sleep 1
}
# The program's log in the prefix, and a wait for a line in it.
log_file() { find "$PELLUMO_WINEPREFIX/drive_c/users" -name pellumo.log 2>/dev/null | head -1; }
wait_log() {  # wait_log PATTERN SECONDS: "found" once a line matches
    local end=$((SECONDS + $2))
    while [ $SECONDS -lt $end ]; do
        grep -q -- "$1" "$(log_file)" 2>/dev/null && { echo found; return; }
        sleep 0.5
    done
    echo "not found"
}
rc=
finish() {  # rc := the exit code of the program started last; one that does not end is ended, rc 124
    local waited=0
    while kill -0 "$pid" 2>/dev/null && [ $waited -lt 60 ]; do sleep 0.5; waited=$((waited + 1)); done
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        "$wine" taskkill /f /im pellumo.exe >/dev/null 2>&1
        wait "$pid" 2>/dev/null
        rc=124
    else
        wait "$pid"
        rc=$?
    fi
    pid=
}
# Leaves the program through its menu, as the user does.
menu_exit() {
    d tray context >/dev/null
    d menu 10 >/dev/null
    d menu-key x >/dev/null
    d wait-exit 20 >/dev/null
}


# The groups, in this order: a later one may use what an earlier one made.
. "$here/tests/e2e/start-and-store.sh"
. "$here/tests/e2e/popups-and-tray.sh"
. "$here/tests/e2e/user-settings.sh"
. "$here/tests/e2e/rules.sh"

echo "-- in the user's language: Latin, Cyrillic, East Asian"
# Wine takes the user's language from the locale a program starts in.
in_language() {  # in_language LOCALE TAG FROM-LABEL SETUP-CAPTION EXIT-KEY
    settings
    new_store
    LC_ALL=$1 start
    check "$2: the user's language is spoken" "found" "$(wait_log "Language: $2" 5)"
    "$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
    check "$2: the popup speaks it" "$3 Erin Example" \
        "$(d popups 1 20 "$(winpath "$shots")\\language-$2" | heads | awk -F' [|] ' '{ print $2 }')"
    d tray dblclk >/dev/null
    check "$2: so does the setup dialog" "found" "$(d wait-title "$4" 10)"
    d shot "$(winpath "$shots")\\setup-$2.bmp" >/dev/null
    d press "$4" cancel >/dev/null
    d tray context >/dev/null
    d menu 10 >/dev/null
    sleep 0.5
    d shot "$(winpath "$shots")\\menu-$2.bmp" >/dev/null
    d menu-key "$5" >/dev/null
    d wait-exit 20 >/dev/null
    finish
    check "$2: it ends by its menu's own access key" "0" "$rc"
}
in_language de_DE.UTF-8 de "Von:" "Pellumo-Einstellungen" b
in_language ru_RU.UTF-8 ru "От:" "Настройка Pellumo" х
in_language ja_JP.UTF-8 ja "差出人:" "Pellumo の設定" x
settings
LC_ALL=C start
check "English where the locale is none of the program's languages" "found" "$(wait_log 'Language: en' 5)"
menu_exit
finish

for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$shots"/*.png 2>/dev/null | sed 's/^/screenshot: /'
reg delete 'HKCU\Software\Ostrivane' /f
reg delete 'HKCU\Identities' /f
checks_done e2e
