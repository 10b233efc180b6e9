# Sourced by e2e.sh: the folders the user chooses, a wrongly typed
# setting, the hotkey and the user's absence.

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

