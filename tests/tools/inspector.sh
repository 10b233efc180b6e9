#!/usr/bin/env bash
# The store inspector as a user runs it: output lines, raw text byte for byte,
# error texts and exit statuses.
#   inspector.sh PELLUMO-DBX MKSTORE DATADIR
# With RUNNER set (e.g. the Wine runner), the inspector runs through it.
set -u
dbx=$1 mkstore=$2 data=$3
run() { ${RUNNER:-} "$dbx" "$@"; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fails=0 passes=0
check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" == "$3" ]; then passes=$((passes + 1)); else
        fails=$((fails + 1)); printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"; fi
}

store=$data/dbx/oe6-sample-store
out=$(run list "$store/Inbox.dbx" | tr -d '\r')
check "list real inbox" $'000002\t01000081\t3\t60116\tMicrosoft Outlook Express Team\tWelcome to Outlook Express 6' "$out"
check "list empty outbox" "" "$(run list "$store/Outbox.dbx")"

for pair in "oe6-sample-store/Inbox.dbx 5690ac3f898d12554c351767385901b1281720a1b485b08057b47ced59891ec9" \
            "perl-dbx/test.dbx 34934eb0b6b7bac25f3f3cfce518ae63102863b5c60cb74755d04b174121c43d" \
            "perl-dbx/test1.dbx 83f7d590d15ca661b4fddf23d73f3ec2f6ae1a49465bda277b3f5c02250be26f"; do
    set -- $pair
    check "cat $1" "$2" "$(run cat "$data/dbx/$1" 000002 | sha256sum | cut -d' ' -f1)"
done

# A store made by mkstore: escapes in list, and cat of a text that ends without a line break.
mkdir -p "$tmp/src/Inbox"
printf 'From: "Tab\tby" <t@example.com>\r\nSubject: back\\slash\tand tab\r\n\r\nline one\r\nno newline at end' \
    > "$tmp/src/Inbox/01.eml"
printf 'From: Reader <r@example.com>\r\nSubject: already read\r\n\r\nx' > "$tmp/src/Inbox/02.read.high.eml"
"$mkstore" build "$tmp/store" "$tmp/src" >/dev/null
out=$(run list "$tmp/store/Inbox.dbx" | tr -d '\r' | cut -f1-3,5-)
check "list escapes and flags" $'000001\t00000000\t3\tTab\\tby\tback\\\\slash\\tand tab\n000002\t00000080\t1\tReader\talready read' "$out"
check "cat byte for byte" "$(sha256sum < "$tmp/src/Inbox/01.eml")" "$(run cat "$tmp/store/Inbox.dbx" 000001 | sha256sum)"

# Folder trees: the real store, with the separator the inspector adds (Windows
# "\\", escaped as any backslash) and with the caller's own; "@" stands for it.
case $dbx in *.exe) sep='\\' ;; *) sep=/ ;; esac
expected=$'\t\t\t\t\t-
  000001\t\t0\tLocal Folders\t\t-
    000006\t000001\t3\tSent Items\t\t-
    000005\t000001\t2\tOutbox\t@Outbox.dbx\t-
    000004\t000001\t1\tInbox\t@Inbox.dbx\twatched
    000008\t000001\t5\tDrafts\t\t-
    000007\t000001\t4\tDeleted Items\t\t-
  000009\t\t0\tHotmail\t\t-'
check "folders real store" "${expected//@/"$store$sep"}" "$(run folders "$store" | tr -d '\r')"
check "folders trailing separator" "${expected//@/"$store/"}" "$(run folders "$store/" | tr -d '\r')"

# A made-up store: nesting, reverse order among siblings, watched folders below
# the top, escapes; and a directory without a folder list.
mkdir -p "$tmp/fsrc/Inbox/Sub" "$tmp/fsrc/Outbox" "$tmp/fsrc/Tab"$'\t'"bed" "$tmp/empty"
echo 1 > "$tmp/fsrc/Inbox/Sub/kind"
"$mkstore" build "$tmp/fstore" "$tmp/fsrc" >/dev/null
expected=$'\t\t\t\t\t-
  000001\t000000\t0\tLocal Folders\t\t-
    000005\t000001\t0\tTab\\tbed\t@Tab\\tbed.dbx\t-
    000004\t000001\t2\tOutbox\t@Outbox.dbx\t-
    000002\t000001\t1\tInbox\t@Inbox.dbx\twatched
      000003\t000002\t1\tSub\t@Sub.dbx\twatched'
check "folders made-up store" "${expected//@/"$tmp/fstore/"}" "$(run folders "$tmp/fstore/" | tr -d '\r')"
check "folders without Folders.dbx" $'\t\t\t\t\t-' "$(run folders "$tmp/empty" | tr -d '\r')"

# The start-up scan: nothing at a plain start, every unread message with --test.
check "scan baseline" "" "$(run scan "$tmp/store")"
check "scan --test" $'Inbox\tTab\\tby\tback\\\\slash\\tand tab\tmpNormal\tline one\\r\\nno newline at end\\r\\n' \
    "$(run scan "$tmp/store" --test | tr -d '\r')"

# Previews: what the popup would show, byte for byte.
printf 'MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\nContent-Type: text/html; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n<p>Caf=E9 &amp; <b>cr=EApes</b></p>\r\n--b--\r\n' > "$tmp/html.eml"
# UTF-8 whatever the charset of the part; LF line ends (CR LF on Windows).
check "preview-eml html part" $'Caf\xC3\xA9 & cr\xC3\xAApes' "$(run preview-eml "$tmp/html.eml" | tr -d '\r')"
check "preview of a stored message" "This email is to inform you of release '4.7.5' of 'centericq' through" \
    "$(run preview "$data/dbx/perl-dbx/test1.dbx" 000002 | head -n 1 | tr -d '\r')"

# Errors: the text on stderr, status 1; bad usage, status 2.
expect_error() {  # NAME STATUS MESSAGE ARGS...
    local name=$1 status=$2 message=$3; shift 3
    local err rc
    err=$(run "$@" 2>&1 >/dev/null | tr -d '\r'; exit "${PIPESTATUS[0]}"); rc=$?
    check "$name status" "$status" "$rc"
    [ -n "$message" ] && check "$name message" "$message" "$err"
}
expect_error "missing file" 1 "Cannot open file $tmp/none.dbx" list "$tmp/none.dbx"
expect_error "folder list" 1 "Unexpected dbx file type" list "$store/Folders.dbx"
expect_error "not a store file" 1 "Invalid dbx file" list "$data/dbx/README.md"
expect_error "unknown id" 1 "No message with Id 0000FF" cat "$store/Inbox.dbx" 0000FF
expect_error "preview of an unknown id" 1 "No message with Id 0000FF" preview "$store/Inbox.dbx" 0000FF
expect_error "preview of a missing file" 1 "Cannot open file $tmp/none.eml" preview-eml "$tmp/none.eml"
expect_error "no arguments" 2 "" 
expect_error "unknown command" 2 "" frobnicate "$store/Inbox.dbx"
expect_error "cat without id" 2 "" cat "$store/Inbox.dbx"
mkdir -p "$tmp/msgstore" && cp "$store/Inbox.dbx" "$tmp/msgstore/Folders.dbx"
expect_error "folders of a message file" 1 "Folders.dbx signature is not found" folders "$tmp/msgstore"
expect_error "scan with a broken folder list" 1 "Folders.dbx signature is not found" scan "$tmp/msgstore"
# On Windows "folders" alone reads the registry's store (see tests/win/registry.sh).
[[ $dbx == *.exe ]] || expect_error "folders without a directory" 2 "" folders
expect_error "folders with an empty directory" 2 "" folders ""

echo "inspector: $passes passed, $fails failed"
[ $fails -eq 0 ]
