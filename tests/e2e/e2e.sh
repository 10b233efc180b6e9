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

echo "-- started while a copy is ending"
settings
"$wine" "$driver" ending-copy 4 >"$tmp/ending.txt" 2>/dev/null &
ending=$!
for _ in $(seq 100); do grep -q up "$tmp/ending.txt" 2>/dev/null && break; sleep 0.1; done
start
check "the start waits for it to end, then runs" "icon present" "$(d icon)"
wait "$ending"
menu_exit
finish
# Its window still there for a moment, answering nothing, as at the end of
# its message loop; a start with Windows meanwhile.
"$wine" "$driver" ending-copy 4 window >"$tmp/ending.txt" 2>/dev/null &
ending=$!
for _ in $(seq 100); do grep -q up "$tmp/ending.txt" 2>/dev/null && break; sleep 0.1; done
start /autostart
check "its window is not taken for a running copy" "icon present" "$(d icon)"
wait "$ending"
menu_exit
finish

echo "-- normal start"
settings
start
check "no window and no taskbar button at start" "visible 0, taskbar buttons 0" "$(d windows | tail -1)"
check "the icon is in the notification area" "icon present" "$(d icon)"
check "nothing present at start is announced" "" "$(d popups 0 4 | heads)"
check "ignored mouse messages open nothing" "0 0" "$(d tray lclick; d tray ldown; d tray lup; d tray move; d tray rdown; sleep 1; echo "$(d count 'Pellumo Setup') $(d count '')")"

echo "-- started again"
# The copies of the program running in this prefix.
copies() {
    local p n=0
    for p in $(pgrep -f 'pellumo\.exe'); do
        grep -qzx "WINEPREFIX=$PELLUMO_WINEPREFIX" "/proc/$p/environ" 2>/dev/null && n=$((n + 1))
    done
    echo $n
}
"$wine" "$exe" >/dev/null 2>&1
check "a second start ends at once" "0" "$?"
check "and opens the running copy's setup dialog" "found" "$(d wait-title 'Pellumo Setup' 10)"
d press 'Pellumo Setup' cancel >/dev/null
"$wine" "$exe" /test >/dev/null 2>&1
check "so does a second start with /test" "found" "$(d wait-title 'Pellumo Setup' 10)"
d press 'Pellumo Setup' cancel >/dev/null
sleep 1
check "one copy runs" "1" "$(copies)"

echo "-- mail arrives"
eml "$tmp/new/04.eml" "Erin Example" "Tickets booked" "The train leaves at 8:15."
# A screen reader listening, as it listens for any program's alerts.
"$wine" "$driver" alert 30 >"$tmp/alert.txt" 2>/dev/null &
listener=$!
for _ in $(seq 100); do grep -q up "$tmp/alert.txt" 2>/dev/null && break; sleep 0.1; done
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
out=$(d popups 1 20 "$(winpath "$shots")\\popup")
check "a new message is announced" "(Inbox) | From : Erin Example | Subject : Tickets booked" "$(echo "$out" | heads)"
check "with its body" "1" "$(echo "$out" | grep -c 'The train leaves at 8:15.')"
wait "$listener"
check "and to a screen reader, as an alert" \
    "alert | New mail from Erin Example: Tickets booked | The train leaves at 8:15." "$(tr -d '\r' <"$tmp/alert.txt" | grep '|')"

# An IMAP account's message not opened yet: its record alone.
eml "$tmp/new/04h.headers.eml" "Hank Example" "Not opened yet" "on the server"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04h.headers.eml" >/dev/null
out=$(d popups 1 20)
check "a message not downloaded yet is announced, saying so" \
    "(Inbox) | From : Hank Example | Subject : Not opened yet 1" \
    "$(echo "$out" | heads) $(echo "$out" | grep -c 'This message has not been downloaded yet.')"

eml "$tmp/new/05.eml" "Frank Example" "First of two" "one"
eml "$tmp/new/06.low.eml" "Grace Example" "Second of two" "two"
"$mkstore" add "$store/Archive.dbx" "$tmp/new/05.eml" "$tmp/new/06.low.eml" >/dev/null
check "two messages, two popups one after the other" \
    "$(printf '(Archive) | From : Frank Example | Subject : First of two\n(Archive) | From : Grace Example | Subject : Second of two')" \
    "$(d popups 2 30 | heads)"

eml "$tmp/new/07.read.eml" "Heidi Example" "Read elsewhere" "seen"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/07.read.eml" >/dev/null
check "a message that arrives read is not announced" "" "$(d popups 0 5 | heads)"

echo "-- tray icon"
eml "$tmp/new/08.eml" "Ivan Example" "Waiting one" "w1"
eml "$tmp/new/09.eml" "Judy Example" "Waiting two" "w2"
eml "$tmp/new/10.eml" "Karl Example" "Waiting three" "w3"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/08.eml" "$tmp/new/09.eml" "$tmp/new/10.eml" >/dev/null
check "the first of three is shown" "(Inbox) | From : Ivan Example | Subject : Waiting one" "$(d showing 20 | heads)"
d tray dblclk >/dev/null
check "a double click opens the setup dialog" "found" "$(d wait-title 'Pellumo Setup' 10)"
check "the popup makes way for it" "0" "$(d count "You've got new mail!")"
d shot "$(winpath "$shots")\\setup.bmp" >/dev/null
d tray dblclk >/dev/null
sleep 1
check "a second double click opens no second dialog" "1" "$(d count 'Pellumo Setup')"
check "it brings the first to the front" "Pellumo Setup" "$(d foreground)"
eml "$tmp/new/11.eml" "Lena Example" "While the dialog is open" "still told"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/11.eml" >/dev/null
check "mail waits while the dialog is open" "" "$(d popups 0 5 | heads)"
d press 'Pellumo Setup' cancel >/dev/null
check "once it closes, all that waited is told" \
    "$(printf '(Inbox) | From : Judy Example | Subject : Waiting two\n(Inbox) | From : Karl Example | Subject : Waiting three\n(Inbox) | From : Lena Example | Subject : While the dialog is open')" \
    "$(d popups 3 30 | heads)"
check "Cancel closed it" "0" "$(d count 'Pellumo Setup')"

d tray context >/dev/null
check "the right button's release opens the menu" "menu open" "$(d menu 10 | head -1)"
d menu-key esc >/dev/null
sleep 1
check "Esc closes it" "0" "$(d count '')"
d tray context >/dev/null
d menu 10 >/dev/null
d menu-key down >/dev/null
d menu-key enter >/dev/null
check "the first item, Settings..., opens the setup dialog" "found" "$(d wait-title 'Pellumo Setup' 10)"
d press 'Pellumo Setup' esc >/dev/null
sleep 1
check "Esc closes the dialog" "0" "$(d count 'Pellumo Setup')"
d tray context >/dev/null
d menu 10 >/dev/null
d menu-key s >/dev/null
check "its access key S does too" "found" "$(d wait-title 'Pellumo Setup' 10)"
d press 'Pellumo Setup' esc >/dev/null
sleep 1
d tray enter >/dev/null
check "so does Enter on the icon" "found" "$(d wait-title 'Pellumo Setup' 10)"
d press 'Pellumo Setup' esc >/dev/null
sleep 1

echo "-- the shell restarts"
d drop-icon >/dev/null
check "the icon is gone with the old taskbar" "icon absent" "$(d icon)"
d taskbar-created >/dev/null
sleep 1
check "the new taskbar gets the icon again" "icon present" "$(d icon)"

echo "-- exit while a notification is on screen"
eml "$tmp/new/12.eml" "Mallory Example" "Last words" "bye"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/12.eml" >/dev/null
d showing 20 >/dev/null
d move 100 120 >/dev/null
menu_exit
finish
check "E&xit ends the program" "0" "$rc"
check "all sixteen values are written" "16" "$("$wine" reg query "$settings_key" 2>/dev/null | tr -d '\r' | grep -c REG_)"
check "with the popup's last position" "REG_SZ 100, 120, 400, 320" "$(query 'Window Location')"

echo "-- exit while the setup dialog is open"
settings
start
d tray dblclk >/dev/null
d wait-title 'Pellumo Setup' 10 >/dev/null
menu_exit
finish
check "E&xit closes the dialog and ends the program" "0" "$rc"

echo "-- /test"
settings
new_store
start /TeSt
expected=$("$inspector" scan "$store" --test 2>/dev/null |
    awk -F'\t' '{ printf "(%s) | From : %s | Subject : %s\n", $1, $2, $3 }')
check "every unread message, in folder and record order" "$expected" "$(d popups 3 40 | heads)"
menu_exit
finish
check "the /test run ends" "0" "$rc"

echo "-- a corrupt folder file at start"
settings
new_store
printf 'this is no dbx file at all, but it is long enough to be read as one...........................' \
    >"$store/Archive.dbx"
start
check "the error box says why, once" "Invalid dbx file." "$(d errorbox 20)"
check "no second error box" "no error box" "$(d errorbox 3)"
check "the icon stays" "icon present" "$(d icon)"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
check "later mail in the other folders is still announced" "(Inbox) | From : Erin Example | Subject : Tickets booked" \
    "$(d popups 1 20 | heads)"
check "the folder passed over is in the log" "1" "$(grep -c 'Passed over .*Archive.dbx: Invalid dbx file' "$(log_file)")"
menu_exit
finish
check "the program still ends from its menu" "0" "$rc"

echo "-- a corrupt folder file while watching"
settings
new_store
start
printf 'garbage' >"$store/Archive.dbx"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
check "the other folders are still announced" "(Inbox) | From : Erin Example | Subject : Tickets booked" \
    "$(d popups 1 20 | heads)"
d endsession >/dev/null
d wait-exit 20 >/dev/null
finish
check "the end of the session ends the program" "0" "$rc"
check "and writes the settings" "16" "$("$wine" reg query "$settings_key" 2>/dev/null | tr -d '\r' | grep -c REG_)"

echo "-- the folder list unreadable at start"
settings
new_store
cp "$store/Folders.dbx" "$tmp/Folders.dbx"
head -c 2048 /dev/zero >"$store/Folders.dbx"  # being written, at logon
start
check "the program runs, its icon there" "icon present" "$(d icon)"
check "no error box" "no error box" "$(d errorbox 2)"
check "the log says why nothing is watched" "1" "$(grep -c 'Tray: Ostrivane Pellumo - not watching: Folders.dbx cannot be read' "$(log_file)")"
cp "$tmp/Folders.dbx" "$store/Folders.dbx"
check "the folder list is read once it is whole" "found" "$(wait_log 'Folder list read: 2 folders' 20)"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
check "mail arriving afterwards is announced" "(Inbox) | From : Erin Example | Subject : Tickets booked" \
    "$(d popups 1 20 | heads)"
menu_exit
finish

echo "-- where the store is, unreadable for a moment"
settings
new_store
start
identity='HKCU\Identities\{E2E-1}\Software\Microsoft\Outlook Express\5.0'
reg add "$identity" /v 'Store Root' /t REG_DWORD /d 1 /f
check "the tip says why nothing is watched" "found" \
    "$(wait_log "Tray: Ostrivane Pellumo - not watching: the store's location cannot be read" 10)"
reg add "$identity" /v 'Store Root' /d "$(winpath "$store")" /f
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
check "mail after it is announced" "(Inbox) | From : Erin Example | Subject : Tickets booked" "$(d popups 1 20 | heads)"
menu_exit
finish

echo "-- the setup dialog cannot be made"
settings
reg add "$settings_key" /v HintTime /t REG_DWORD /d 10 /f  # on screen while the identity is spoilt
new_store
start
eml "$tmp/new/nodialog1.eml" "Quinn Example" "On screen at the double click" "first"
eml "$tmp/new/nodialog2.eml" "Rita Example" "Held for a dialog never made" "held"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/nodialog1.eml" "$tmp/new/nodialog2.eml" >/dev/null
d showing 20 >/dev/null
# The dialog reads the last identity as it opens: of the wrong type, it cannot.
reg add 'HKCU\Identities' /v 'Last User ID' /t REG_DWORD /d 1 /f
d tray dblclk >/dev/null
check "a dialog that cannot be made: the mail held for it is shown" \
    "(Inbox) | From : Rita Example | Subject : Held for a dialog never made" "$(d popups 1 30 | heads)"
check "and why it failed is told" "Invalid data type for 'Last User ID'" "$(d errorbox 10)"
reg add 'HKCU\Identities' /v 'Last User ID' /d '{E2E-1}' /f
menu_exit
finish

echo "-- the store folder missing at start"
settings
rm -rf "$store"
start
check "the log says why nothing is watched" "1" \
    "$(grep -c 'Tray: Ostrivane Pellumo - not watching: store folder not found' "$(log_file)")"
d drop-icon >/dev/null
new_store
check "the store is watched once it is there" "found" "$(wait_log 'Watching Z:' 40)"
check "an icon the shell lost is put back when its state changes" "icon present" "$(d icon)"
check "what it held when it came is not announced" "" "$(d popups 0 3 | heads)"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
check "mail arriving afterwards is" "(Inbox) | From : Erin Example | Subject : Tickets booked" "$(d popups 1 20 | heads)"

echo "-- a folder made while Pellumo runs"
rm -rf "$tmp/src2" "$tmp/store2"
cp -r "$src" "$tmp/src2"
mkdir -p "$tmp/src2/Zlist"
echo 1 >"$tmp/src2/Zlist/kind"
eml "$tmp/src2/Zlist/01.eml" "Nina Example" "Already in the new folder" "old"
"$mkstore" build "$tmp/store2" "$tmp/src2" >/dev/null
cp "$tmp/store2/Zlist.dbx" "$store/Zlist.dbx"
cp "$tmp/store2/Folders.dbx" "$store/Folders.dbx"
check "the new folder list is read" "found" "$(wait_log 'Folder list read: 3 folders' 20)"
eml "$tmp/new/13.eml" "Oscar Example" "In the new folder" "new"
"$mkstore" add "$store/Zlist.dbx" "$tmp/new/13.eml" >/dev/null
check "mail in the new folder is announced, not what it held" "(Zlist) | From : Oscar Example | Subject : In the new folder" \
    "$(d popups 1 20 | heads)"

echo "-- another identity"
rm -rf "$tmp/store2"
"$mkstore" build "$tmp/store2" "$src" >/dev/null
reg add 'HKCU\Identities\{E2E-2}' /v Username /d 'Second Identity' /f
reg add 'HKCU\Identities\{E2E-2}\Software\Microsoft\Outlook Express\5.0' /v 'Store Root' \
    /d "$(winpath "$tmp/store2")" /f
reg add 'HKCU\Identities' /v 'Last User ID' /d '{E2E-2}' /f
check "the switch is followed" "found" "$(wait_log 'The store moved' 20)"
check "the new store's mail present at the switch is not announced" "" "$(d popups 0 3 | heads)"
eml "$tmp/new/14.eml" "Peggy Example" "To the second identity" "hers"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/12.eml" >/dev/null
"$mkstore" add "$tmp/store2/Inbox.dbx" "$tmp/new/14.eml" >/dev/null
check "mail in the new store is announced, none from the old" \
    "(Inbox) | From : Peggy Example | Subject : To the second identity" "$(d popups 1 20 | heads)"
reg add 'HKCU\Identities' /v 'Last User ID' /d '{E2E-1}' /f
menu_exit
finish

echo "-- the queue after a click on the text"
settings
new_store
start
mail_client() {  # mail_client SECONDS [DELAY]: the stand-in mail client, running once this returns
    "$wine" "$driver" mail-client "$@" >"$tmp/client.txt" 2>/dev/null &  # unbuffered: no tr behind it
    client=$!
    for _ in $(seq 100); do grep -q up "$tmp/client.txt" 2>/dev/null && break; sleep 0.1; done
}
mail_client 40
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/08.eml" "$tmp/new/09.eml" "$tmp/new/10.eml" >/dev/null
check "the first of three is shown" "(Inbox) | From : Ivan Example | Subject : Waiting one" "$(d showing 20 | heads)"
d click-body >/dev/null
check "the click brings the mail client forward" "Outlook Express" "$(sleep 0.5; d foreground)"
check "the other two follow" \
    "$(printf '(Inbox) | From : Judy Example | Subject : Waiting two\n(Inbox) | From : Karl Example | Subject : Waiting three')" \
    "$(d popups 2 30 | heads)"
kill "$client" 2>/dev/null; wait "$client" 2>/dev/null

echo "-- a drop at show time"
menu_exit
finish
reg add "$settings_key" /v DisplayWhenOEActive /t REG_DWORD /d 0 /f
new_store
start
# The mail client comes to the front while the first of three is on screen.
mail_client 4 1
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/08.eml" "$tmp/new/09.eml" "$tmp/new/10.eml" >/dev/null
check "the first is shown" "(Inbox) | From : Ivan Example | Subject : Waiting one" "$(d popups 1 10 | heads)"
check "while the mail client is in front the others are dropped" "" "$(d popups 0 1 | heads)"
wait "$client" 2>/dev/null
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/11.eml" >/dev/null
check "none is left waiting: the next mail is shown alone" \
    "(Inbox) | From : Lena Example | Subject : While the dialog is open" "$(d popups 1 20 | heads)"
menu_exit
finish

echo "-- a hint time below the range"
settings
reg add "$settings_key" /v HintTime /t REG_DWORD /d 0xFFFFFFFB /f
start
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/13.eml" >/dev/null
d showing 20 >/dev/null
sleep 3  # one second shown, the fades around it
check "the popup goes after one second" "0" "$(d count "You've got new mail!")"
menu_exit
finish
check "and 1 is what is written back" "REG_DWORD 0x1" "$(query HintTime)"

echo "-- bursts, what waits, full-screen programs, start with Windows"
settings
new_store
start
burst=()
for i in 1 2 3 4 5 6 7 8; do
    eml "$tmp/new/burst$i.eml" "Sender $i" "Burst $i" "b$i"
    burst+=("$tmp/new/burst$i.eml")
done
"$mkstore" add "$store/Inbox.dbx" "${burst[@]}" >/dev/null
out=$(d popups 1 20 "$(winpath "$shots")\\summary")
check "a burst of eight is one popup" "(Inbox) | From : 8 senders | 8 new messages" "$(echo "$out" | lines)"
check "listing sender and subject" "1" "$(echo "$out" | grep -c 'Sender 1: Burst 1  Sender 2: Burst 2')"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/08.eml" "$tmp/new/09.eml" "$tmp/new/10.eml" >/dev/null
check "three are shown one by one, each telling how many wait" \
    "$(printf '(Inbox) +2 | From : Ivan Example | Subject : Waiting one\n(Inbox) +1 | From : Judy Example | Subject : Waiting two\n(Inbox) | From : Karl Example | Subject : Waiting three')" \
    "$(d popups 3 30 "$(winpath "$shots")\\waiting" | lines)"
"$wine" "$driver" fullscreen 8 >"$tmp/fullscreen.txt" 2>/dev/null &
fullscreen=$!
for _ in $(seq 100); do grep -q up "$tmp/fullscreen.txt" 2>/dev/null && break; sleep 0.1; done
sleep 0.5
check "a full-screen program is in front" "Full screen" "$(d foreground)"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/11.eml" >/dev/null
check "no popup starts over it" "" "$(d popups 0 5 | heads)"
wait "$fullscreen"
check "the waiting one shows once it has gone" "(Inbox) | From : Lena Example | Subject : While the dialog is open" \
    "$(d popups 1 10 | heads)"
"$wine" "$driver" maximized 8 >"$tmp/maximized.txt" 2>/dev/null &
maximized=$!
for _ in $(seq 100); do grep -q outer "$tmp/maximized.txt" 2>/dev/null && break; sleep 0.1; done
sleep 0.5
check "a maximized window is in front, its frame past the screen's edges" "Maximized 1" \
    "$(d foreground) $(awk '/^outer/ { print ($2 < 0 && $3 < 0) ? 1 : 0 }' "$tmp/maximized.txt")"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/12.eml" >/dev/null
check "a popup shows over it, not once it has gone" "(Inbox) | From : Mallory Example | Subject : Last words" \
    "$(d showing 4 | heads)"
d popups 1 10 >/dev/null
wait "$maximized"
program="$(winpath "$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")")"
d tray dblclk >/dev/null
d wait-title 'Pellumo Setup' 10 >/dev/null
check "Start with Windows is off without the Run value" "checked" "$(d toggle 'Pellumo Setup' 'Start with &Windows')"
d toggle 'Pellumo Setup' '&Play sound' >/dev/null
d toggle 'Pellumo Setup' 'Su&mmarize bursts' >/dev/null
d press 'Pellumo Setup' ok >/dev/null
sleep 1
check "OK writes the Run value: the program's quoted path and /autostart" "REG_SZ \"$program\" /autostart" \
    "$(reg_value "$run_key" Pellumo)"
check "and the settings, at once" "REG_DWORD 0x0 REG_DWORD 0x0" "$(echo $(query SummarizeAfter) $(query PlaySound))"
d tray dblclk >/dev/null
d wait-title 'Pellumo Setup' 10 >/dev/null
check "switched off" "unchecked" "$(d toggle 'Pellumo Setup' 'Start with &Windows')"
d press 'Pellumo Setup' ok >/dev/null
sleep 1
check "OK removes the Run value" "" "$(reg_value "$run_key" Pellumo)"
# A Run key a policy keeps closed: all else the OK asks for is done, then told.
d close-key 'Software\Microsoft\Windows\CurrentVersion\Run' >/dev/null
eml "$tmp/new/held1.eml" "Olga Example" "Shown first" "first"
eml "$tmp/new/held2.eml" "Nora Example" "Held for the dialog" "held"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/held1.eml" "$tmp/new/held2.eml" >/dev/null
d showing 20 >/dev/null
d tray dblclk >/dev/null
d wait-title 'Pellumo Setup' 10 >/dev/null
d toggle 'Pellumo Setup' 'Start with &Windows' >/dev/null
d toggle 'Pellumo Setup' '&Play sound' >/dev/null
d press 'Pellumo Setup' ok >/dev/null
check "a Run key that cannot be written: the mail that waited is shown" \
    "(Inbox) | From : Nora Example | Subject : Held for the dialog" "$(d popups 1 20 | heads)"
check "the error is told" "Cannot change the programs Windows starts." "$(d errorbox 10)"
check "and the settings are written" "REG_DWORD 0x1 " "$(query PlaySound) $(reg_value "$run_key" Pellumo)"
d open-key 'Software\Microsoft\Windows\CurrentVersion\Run' >/dev/null
menu_exit
finish
check "the new settings reach the registry at exit" "REG_DWORD 0x0 REG_DWORD 0x1 REG_DWORD 0x1" \
    "$(echo $(query SummarizeAfter) $(query PlaySound) $(query QuietFullScreen))"

echo "-- unread mail in the tray, the recent mail, a pause"
settings
new_store
start
# Inbox 2 unread, Archive 1: what the store holds at start counts too.
check "the tip counts what waits unread" "found" "$(wait_log 'Tray: Pellumo: 3 unread — Inbox 2, Archive 1' 10)"
# The mail client marks them read: its files rewritten with the read marks.
rm -rf "$tmp/src3" "$tmp/store3"
cp -r "$src" "$tmp/src3"
for f in "$tmp/src3"/Inbox/*.eml "$tmp/src3"/Archive/*.eml; do
    case $f in *read*) ;; *) mv "$f" "${f%.eml}.read.eml" ;; esac
done
"$mkstore" build "$tmp/store3" "$tmp/src3" >/dev/null
cp "$tmp/store3/Inbox.dbx" "$store/Inbox.dbx"
cp "$tmp/store3/Archive.dbx" "$store/Archive.dbx"
check "and falls to none once they are read" "found" "$(wait_log 'Tray: Pellumo: no unread mail' 20)"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
d popups 1 20 >/dev/null
d tray context >/dev/null
d menu 10 >/dev/null
d menu-key r >/dev/null
d shot "$(winpath "$shots")\\menu-recent.bmp" >/dev/null
d menu-key enter >/dev/null
check "a recent message is shown again at once" "(Inbox) | From : Erin Example | Subject : Tickets booked" \
    "$(d popups 1 20 | heads)"
d tray context >/dev/null
d menu 10 >/dev/null
d menu-key p >/dev/null
d shot "$(winpath "$shots")\\menu-pause.bmp" >/dev/null
d menu-key u >/dev/null
check "Until I resume pauses the alerts" "found" "$(wait_log 'Tray: Pellumo: alerts paused until you resume; 1 unread' 10)"
d shot "$(winpath "$shots")\\paused.bmp" >/dev/null  # the icon in Wine's tray window, top left
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/05.eml" >/dev/null
check "no popup while paused" "" "$(d popups 0 10 | heads)"
# A scan while the menu is open puts a message in front of the list it was made from.
d tray context >/dev/null
d menu 10 >/dev/null
d menu-key r >/dev/null
eml "$tmp/new/18.eml" "Uma Example" "While the menu is open" "later"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/18.eml" >/dev/null
wait_log 'Tray: Pellumo: alerts paused until you resume; 3 unread' 10 >/dev/null
d menu-key enter >/dev/null
check "the message chosen is the one its item was made from" "(Inbox) | From : Frank Example | Subject : First of two" \
    "$(d popups 1 20 | heads)"
menu_exit
finish
check "the pause is kept" "REG_QWORD" "$(query PausedUntil | cut -d' ' -f1)"
start
check "a restart keeps it" "found" "$(wait_log 'Tray: Pellumo: alerts paused until you resume; 3 unread' 10)"
# What was there at the restart is as any mail present at a start: counted, not told.
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/06.low.eml" >/dev/null
check "still no popup" "" "$(d popups 0 5 | heads)"
"$wine" "$exe" >/dev/null 2>&1
check "a start meanwhile opens the setup dialog" "found" "$(d wait-title 'Pellumo Setup' 10)"
d press 'Pellumo Setup' cancel >/dev/null
sleep 1
d tray context >/dev/null
d menu 10 >/dev/null
d menu-key u >/dev/null
check "Resume announces what came meanwhile" "(Inbox) | From : Grace Example | Subject : Second of two" \
    "$(d popups 1 20 | heads)"
check "and the pause is gone" "" "$(query PausedUntil)"
menu_exit
finish

echo "-- folders the user chooses"
settings
new_store
start
eml "$tmp/new/15.eml" "Quinn Example" "Filed by a rule" "family news"
"$mkstore" add "$store/Family.dbx" "$tmp/new/15.eml" >/dev/null
check "mail filed into an ordinary folder is not announced" "" "$(d popups 0 4 | heads)"
d tray dblclk >/dev/null
d wait-title 'Pellumo Setup' 10 >/dev/null
check "the folder is ticked in the setup dialog" "checked" "$(d tick 'Pellumo Setup' Family)"
d pick 'Pellumo Setup' 322 Lime >/dev/null
d shot "$(winpath "$shots")\\folders.bmp" >/dev/null
d press 'Pellumo Setup' ok >/dev/null
sleep 1
check "its mail from before the tick is not announced" "" "$(d popups 0 3 | heads)"
eml "$tmp/new/16.eml" "Rita Example" "After the tick" "now told"
"$mkstore" add "$store/Family.dbx" "$tmp/new/16.eml" >/dev/null
check "the next message there is announced, with its folder" "(Family) | From : Rita Example | Subject : After the tick" \
    "$(d popups 1 20 "$(winpath "$shots")\\family" | heads)"
d tray dblclk >/dev/null
d wait-title 'Pellumo Setup' 10 >/dev/null
check "unticked" "unchecked" "$(d tick 'Pellumo Setup' Family)"
d press 'Pellumo Setup' ok >/dev/null
sleep 1
eml "$tmp/new/17.eml" "Sam Example" "After the untick" "not told"
"$mkstore" add "$store/Family.dbx" "$tmp/new/17.eml" >/dev/null
check "after unticking, nothing from it" "" "$(d popups 0 4 | heads)"
menu_exit
finish
folder_id() { "$inspector" folders "$store" | awk -F'\t' -v name="$1" '$4 == name { gsub(/ /, "", $1); print $1 }'; }
inbox=$(folder_id Inbox) archive=$(folder_id Archive)
reg add "$settings_key\\Folders\\{E2E-1}\\$inbox" /v Watch /t REG_SZ /d 0 /f
# The Archive sounds a file of its own (eight samples of silence); the
# Inbox's file has gone.
printf 'RIFF\x2c\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x40\x1f\0\0\x40\x1f\0\0\x01\0\x08\0data\x08\0\0\0\x80\x80\x80\x80\x80\x80\x80\x80' \
    >"$tmp/archive.wav"
reg add "$settings_key\\Folders\\{E2E-1}\\$archive" /v Sound /d "$(winpath "$tmp/archive.wav")" /f
reg add "$settings_key\\Folders\\{E2E-1}\\$inbox" /v Sound /d 'C:\gone.wav' /f
start
check "a wrongly typed folder value: the program starts" "icon present" "$(d icon)"
check "without an error box" "no error box" "$(d errorbox 2)"
check "the log names the value" "1" "$(grep -c "Folder $inbox: Invalid data type for 'Watch'" "$(log_file)")"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
check "the folder takes its default: the Inbox is watched" \
    "(Inbox) | From : Erin Example | Subject : Tickets booked" "$(d popups 1 20 | heads)"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/05.eml" >/dev/null
d popups 1 20 >/dev/null
"$mkstore" add "$store/Archive.dbx" "$tmp/new/06.low.eml" >/dev/null
d popups 1 20 >/dev/null
check "a folder's sound file plays for its mail; one that has gone gives way to the default, said once" "1 1" \
    "$(grep -cF "New-mail sound: $(winpath "$tmp/archive.wav")" "$(log_file)") $(grep -cF "The sound file 'C:\gone.wav' cannot be played" "$(log_file)")"
menu_exit
finish

echo "-- a wrongly typed setting"
settings
new_store
reg add "$settings_key" /v PlaySound /t REG_DWORD /d 0 /f
reg add "$settings_key" /v HintTime /t REG_SZ /d 5 /f
start
check "the error box names the value" "Invalid data type for 'HintTime'" "$(d errorbox 30)"
check "the value is repaired" "REG_DWORD 0x3" "$(query HintTime)"
check "the others keep what the user set" "REG_DWORD 0x0 REG_DWORD 0x1" "$(echo $(query PlaySound) $(query UseFading))"
check "the program runs on" "icon present" "$(d icon)"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
check "and announces mail" "(Inbox) | From : Erin Example | Subject : Tickets booked" "$(d popups 1 20 | heads)"
menu_exit
finish
check "it ends from its menu" "0" "$rc"

echo "-- the hotkey shows the last message again"
# Erin's mail told, then the hotkey pressed.
told_then_hotkey() {
    "$mkstore" add "$store/Inbox.dbx" "$tmp/new/04.eml" >/dev/null
    d popups 1 20 >/dev/null
    d hotkey >/dev/null
}
settings
new_store
start
d hotkey >/dev/null
check "before any mail it shows nothing" "" "$(d popups 0 3 | heads)"
told_then_hotkey
check "Ctrl+Shift+F9 shows the newest message again" "(Inbox) | From : Erin Example | Subject : Tickets booked" \
    "$(d popups 1 20 | heads)"
menu_exit
finish
# Another program has the key when Pellumo starts.
"$wine" "$driver" hold-hotkey 60 >"$tmp/hold.txt" 2>/dev/null &
holder=$!
for _ in $(seq 100); do grep -q up "$tmp/hold.txt" 2>/dev/null && break; sleep 0.1; done
start
check "a hotkey another program has is logged" "found" \
    "$(wait_log 'The hotkey Ctrl+Shift+F9 (show the last message again) cannot be registered' 10)"
check "and the program runs on without an error box" "icon present no error box" "$(echo $(d icon) $(d errorbox 2))"
kill "$holder"; wait "$holder" 2>/dev/null
d tray dblclk >/dev/null
d wait-title 'Pellumo Setup' 10 >/dev/null
d press 'Pellumo Setup' ok >/dev/null
sleep 1
told_then_hotkey
check "once it is free, the setup dialog's OK takes it" "(Inbox) | From : Erin Example | Subject : Tickets booked" \
    "$(d popups 1 20 | heads)"
menu_exit
finish

echo "-- away: alerts wait for the user's return"
settings
new_store
reg add "$settings_key" /v AwayMinutes /t REG_DWORD /d 1 /f
reg add "$settings_key" /v HintTime /t REG_DWORD /d 20 /f
# Started at logon, before the session service is ready: a stand-in for it
# beside a copy of the program refuses the first two registrations.
mkdir -p "$tmp/logon"
cp "$exe" "$(dirname "$driver")/wtsapi32.dll" "$tmp/logon/"
reg add 'HKCU\Software\Wine\AppDefaults\pellumo.exe\DllOverrides' /v wtsapi32 /d native,builtin /f
product=$exe exe=$tmp/logon/pellumo.exe
start
since=$SECONDS  # start's nudge is the last input: the minute counts from there
exe=$product
reg delete 'HKCU\Software\Wine\AppDefaults\pellumo.exe' /f
check "the session's lock and switch are asked for again until the system takes them" "registered" \
    "$(for _ in $(seq 40); do [ -e "$tmp/logon/session-registered" ] && echo registered && break; sleep 0.5; done)"
sleep $((since + 50 - SECONDS))
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/08.eml" >/dev/null
d showing 10 >/dev/null
sleep $((since + 74 - SECONDS))
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/09.eml" "$tmp/new/10.eml" >/dev/null
sleep 5
check "after a minute without input, the popup on screen stays and new mail waits" \
    "1 (Inbox) | From : Ivan Example | Subject : Waiting one" \
    "$(d count "You've got new mail!") $(d showing 2 | heads)"
d nudge >/dev/null
check "back at the desk, what came is told as one" \
    "$(printf '(Inbox) | From : Ivan Example | Subject : Waiting one\n(Inbox 2) | From : 2 senders | While you were away: 2 new messages')" \
    "$(d popups 2 80 | heads)"
menu_exit
finish

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
