# Sourced by e2e.sh: the user's rules, from the registry and from the
# popup's menu, against the running program.

echo "-- rules: never, always, and chosen from the popup"
settings
new_store
reg add "$settings_key" /v HintTime /t REG_DWORD /d 4 /f
reg add "$settings_key" /v NeverAnnounce /t REG_MULTI_SZ /d '@news.example.org\0subject:lottery' /f
reg add "$settings_key" /v AlwaysAnnounce /t REG_MULTI_SZ /d 'boss@example.org' /f
start
eml "$tmp/new/r1.eml" "Daily News" "Today's headlines" "news" daily@news.example.org
eml "$tmp/new/r2.eml" "Lucky Draw" "You won the LOTTERY!" "claim it" win@prize.example
eml "$tmp/new/r3.eml" "Erin Example" "Tickets booked" "see you" erin@example.org
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/r1.eml" "$tmp/new/r2.eml" "$tmp/new/r3.eml" >/dev/null
check "a never-announced domain and subject word show nothing, other mail shows" \
    "(Inbox) | From : Erin Example | Subject : Tickets booked" "$(d popups 1 20 | heads)"
check "each is logged by its rule" "found found" \
    "$(wait_log 'Not announced: NeverAnnounce rule 1' 5) $(wait_log 'Not announced: NeverAnnounce rule 2' 5)"

d tray context >/dev/null
d menu 10 >/dev/null
d menu-key p >/dev/null
d menu-key u >/dev/null
wait_log 'alerts paused until you resume' 10 >/dev/null
eml "$tmp/new/r4.eml" "Frank Example" "Ordinary" "can wait" frank@example.org
eml "$tmp/new/r5.eml" "The Boss" "Urgent" "now" BOSS@example.org
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/r4.eml" "$tmp/new/r5.eml" >/dev/null
check "an always-announced sender gets through a pause" "(Inbox) | From : The Boss | Subject : Urgent" \
    "$(d popups 1 20 "$(winpath "$shots")\\always" | heads)"
check "while other mail waits for its end" "" "$(d popups 0 4 | heads)"
d tray context >/dev/null
d menu 10 >/dev/null
d menu-key u >/dev/null
check "and is told then" "(Inbox) | From : Frank Example | Subject : Ordinary" "$(d popups 1 20 | heads)"

eml "$tmp/new/r6.eml" "Gina Example" "Sale today" "cheap" deals@shop.example
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/r6.eml" >/dev/null
d showing 10 >/dev/null
d popup-click-right >/dev/null
check "the popup's right button opens its menu" "menu open" "$(d menu 10 | head -1)"
sleep 0.5
d shot "$(winpath "$shots")\\popup-menu.bmp" >/dev/null
d menu-key m >/dev/null
check "a choice from it is stored at once" 'REG_MULTI_SZ @news.example.org\0subject:lottery\0*@shop.example' \
    "$(query NeverAnnounce)"
check "and a Never choice takes the popup away" "" "$(d popups 0 3 | heads)"
eml "$tmp/new/r7.eml" "Gina Example" "Another sale" "cheaper" offers@shop.example
eml "$tmp/new/r8.eml" "Hal Example" "Minutes" "attached" hal@example.net
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/r7.eml" "$tmp/new/r8.eml" >/dev/null
d showing 10 >/dev/null
check "it applies to the next message" "(Inbox) | From : Hal Example | Subject : Minutes" "$(d showing 2 | heads)"
# From the keyboard: the hotkey brings it to the popup on screen.
d hotkey >/dev/null
d keys shift f10 >/dev/null
check "the hotkey, then Shift+F10, opens the menu" "menu open" "$(d menu 10 | head -1)"
d menu-key a >/dev/null
check "an Always choice is stored" 'REG_MULTI_SZ boss@example.org\0hal@example.net' "$(query AlwaysAnnounce)"
check "and leaves the popup to count down" "(Inbox) | From : Hal Example | Subject : Minutes" "$(d popups 1 20 | heads)"
menu_exit
finish
