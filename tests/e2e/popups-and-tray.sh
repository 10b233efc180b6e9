# Sourced by e2e.sh: the popups and what holds them back, the tray icon,
# the recent mail and a pause.

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

