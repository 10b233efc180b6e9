# Sourced by e2e.sh: starting and ending, the store and its folder files,
# where the store is and whose it is.

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

