#!/usr/bin/env bash
# The Windows inspector against the real (Wine) registry: the store found
# through the identity keys, and the settings key written, read back and
# repaired, checked with the system's own reg tool.
#   registry.sh PELLUMO-DBX.EXE MKSTORE
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
dbx=$1 mkstore=$2
wine=$here/scripts/wine-run
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. "$here/tests/checks.sh"

reg delete 'HKCU\Software\Ostrivane' /f
reg delete 'HKCU\Identities' /f

mkdir -p "$tmp/src/Inbox" "$tmp/src/Drafts"
printf 'From: A <a@example.com>\r\nSubject: hello\r\n\r\nbody\r\n' > "$tmp/src/Inbox/01.eml"
printf 'From: Me <me@example.com>\r\nSubject: draft\r\n\r\nbody\r\n' > "$tmp/src/Drafts/01.eml"
"$mkstore" build "$tmp/store" "$tmp/src" >/dev/null
reg add 'HKCU\Identities' /v 'Last User ID' /d '{ID-1}' /f
reg add 'HKCU\Identities\{ID-1}' /v Username /d 'Main Identity' /f
reg add 'HKCU\Identities\{ID-1}\Software\Microsoft\Outlook Express\5.0' /v 'Store Root' /t REG_EXPAND_SZ \
    /d '%PELLUMO_STORE%' /f
export PELLUMO_STORE="Z:${tmp//\//\\}\\store"

esc=$PELLUMO_STORE  # paths as they are
out=$("$wine" "$dbx" folders | tr -d '\r')
check "folders from the registry's store" "$(printf '\t\t\tMain Identity\t\t-\n  000001\t000000\t0\tLocal Folders\t\t-\tno file\n    000003\t000001\t1\tInbox\t%s\\Inbox.dbx\twatched\tinbox\n    000002\t000001\t5\tDrafts\t%s\\Drafts.dbx\t-\tnot chosen' "$esc" "$esc")" "$out"
# The user's choice for this identity: Drafts ticked, the Inbox unticked.
reg add "$settings_key\\Folders\\{ID-1}\\000002" /v Watch /t REG_DWORD /d 1 /f
reg add "$settings_key\\Folders\\{ID-1}\\000003" /v Watch /t REG_DWORD /d 0 /f
check "folders follow the user's choice" "- not chosen watched chosen" \
    "$("$wine" "$dbx" folders | tr -d '\r' | awk -F'\t' '$4 == "Drafts" || $4 == "Inbox" { printf "%s%s %s", sep, $6, $7; sep=" " }')"
check "so does scan" "Drafts	draft" "$("$wine" "$dbx" scan "$esc" --test | tr -d '\r' | cut -f1,3)"
# The user's rules, a list of strings read as the program reads them.
reg add "$settings_key" /v NeverAnnounce /t REG_MULTI_SZ /d 'subject:nothing\0@example.com' /f
check "scan names the rule that keeps it quiet" "Drafts	draft	NeverAnnounce rule 2" \
    "$("$wine" "$dbx" scan "$esc" --test | tr -d '\r' | cut -f1,3,6)"
reg add "$settings_key" /v AlwaysAnnounce /t REG_MULTI_SZ /d 'subject:draft' /f
check "where both match, always wins" "Drafts	draft	AlwaysAnnounce rule 1" \
    "$("$wine" "$dbx" scan "$esc" --test | tr -d '\r' | cut -f1,3,6)"
"$wine" "$dbx" settings --repair >/dev/null 2>&1
check "rules kept as they were" 'REG_MULTI_SZ subject:nothing\0@example.com|REG_MULTI_SZ subject:draft' \
    "$(query NeverAnnounce)|$(query AlwaysAnnounce)"
# A rule in another script is read whole (reg's own output cannot show it:
# a message's address tells). The same folders, Drafts holding that sender.
mkdir -p "$tmp/src2/Inbox" "$tmp/src2/Drafts"
cp "$tmp/src/Inbox/01.eml" "$tmp/src2/Inbox/"
printf 'From: =?utf-8?B?0J7Qu9GM0LPQsA==?= <ольга@пример.рф>\r\nSubject: privet\r\n\r\nbody\r\n' > "$tmp/src2/Drafts/01.eml"
"$mkstore" build "$tmp/store2" "$tmp/src2" >/dev/null
reg add "$settings_key" /v NeverAnnounce /t REG_MULTI_SZ /d 'subject:nothing\0ОЛЬГА@Пример.рф' /f
reg delete "$settings_key" /v AlwaysAnnounce /f
check "a rule in another script" "privet	NeverAnnounce rule 2" \
    "$("$wine" "$dbx" scan "Z:${tmp//\//\\}\\store2" --test | tr -d '\r' | cut -f3,6)"
reg delete 'HKCU\Software\Ostrivane' /f  # a first run again for what follows

check "settings only reads" "" "$("$wine" "$dbx" settings >/dev/null; query AutoHideHint)"
out=$("$wine" "$dbx" settings --repair | tr -d '\r')
check "first run defaults" "1 1 1 3 8000001B 00FFFFFF" "$(echo "$out" | awk -F'\t' '$1 ~ /^(AutoHideHint|UseFading|DisplayWhenOEActive|HintTime|BeginColor|EndColor)$/ { printf "%s%s", sep, $2; sep=" " }')"
check "watched folder" "Watched	000003	Inbox	$esc\\Inbox.dbx" "$(echo "$out" | grep '^Watched')"
check "saved flag" "REG_DWORD 0x1" "$(query AutoHideHint)"
check "saved hint time" "REG_DWORD 0x3" "$(query HintTime)"
check "saved colour" "REG_DWORD 0x8000001b" "$(query BeginColor)"
# 300 x 200 at the bottom right of whatever work area Wine reports.
check "saved location" "REG_SZ 300x200" "$(query 'Window Location' | awk -F'[ ,]+' '{ print $1, ($4 - $2) "x" ($5 - $3) }')"

reg add "$settings_key" /v 'Window Location' /d '-1280, 0, -980, 200' /f
reg add "$settings_key" /v UseFading /t REG_DWORD /d 0 /f
out=$("$wine" "$dbx" settings | tr -d '\r')
check "stored values read" "-1280, 0, -980, 200|0" "$(echo "$out" | awk -F'\t' '$1 == "Window Location" { l = $2 } $1 == "UseFading" { f = $2 } END { print l "|" f }')"
check "negative location kept" "$("$wine" reg query "$settings_key" /v 'Window Location' | tr -d '\r' | grep -c -- '-1280, 0, -980, 200')" "1"

reg add "$settings_key" /v HintTime /t REG_SZ /d abc /f
err=$("$wine" "$dbx" settings 2>&1 >/dev/null | tr -d '\r')
check "wrong type reported" "pellumo-dbx: Invalid data type for 'HintTime' (settings --repair saves what the program would)" "$err"
check "wrong type left alone" "REG_SZ abc" "$(query HintTime)"
err=$("$wine" "$dbx" settings --repair 2>&1 >/dev/null | tr -d '\r')
check "wrong type reported by --repair" "pellumo-dbx: Invalid data type for 'HintTime'" "$err"
check "wrong type repaired" "REG_DWORD 0x3" "$(query HintTime)"
check "values read before the error kept" "REG_DWORD 0x0" "$(query UseFading)"
"$wine" "$dbx" settings >/dev/null 2>&1
check "next start works" "0" "$?"

reg delete 'HKCU\Software\Ostrivane' /f
reg delete 'HKCU\Identities' /f
checks_done registry
