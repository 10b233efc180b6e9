#!/usr/bin/env bash
# The store inspector and the store writer as a user runs them: output lines,
# raw text byte for byte, error texts and exit statuses.
#   inspector.sh PELLUMO-DBX MKSTORE DATADIR
# With RUNNER set (e.g. the Wine runner), the inspector runs through it.
set -u
dbx=$1 mkstore=$2 data=$3
run() { ${RUNNER:-} "$dbx" "$@"; }
tmp=$(mktemp -d)
chmod 755 "$tmp"  # the permission check below runs as another user
trap 'chmod -R u+rwX "$tmp"; rm -rf "$tmp"' EXIT
. "$(dirname "$0")/../checks.sh"
case $dbx in *.exe) windows=1 ;; *) windows=0 ;; esac

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

# Index texts: the system's code page (windows-1252 natively) or the one named, printed as UTF-8.
mkdir -p "$tmp/csrc/Inbox"
printf 'From: Ren\xE9e Fran\xE7ois <r@example.com>\r\nSubject: caf\xE9 \xC0\r\n\r\nx\r\n' > "$tmp/csrc/Inbox/01.eml"
"$mkstore" build "$tmp/cstore" "$tmp/csrc" >/dev/null
check "index text in windows-1252" $'Ren\xC3\xA9e Fran\xC3\xA7ois\tcaf\xC3\xA9 \xC3\x80' \
    "$(run list "$tmp/cstore/Inbox.dbx" | tr -d '\r' | cut -f5-)"
check "index text in a named code page" $'Ren\xD0\xB9e Fran\xD0\xB7ois\tcaf\xD0\xB9 \xD0\x90' \
    "$(run --codepage 1251 list "$tmp/cstore/Inbox.dbx" | tr -d '\r' | cut -f5-)"

# Ids in any hex form, compared by value: a folder of twelve, Ids 000001 to 00000C.
"$mkstore" bulk "$tmp/bulk.dbx" 12 >/dev/null
ten=$(run cat "$tmp/bulk.dbx" 00000A | sha256sum)
two=$(run cat "$tmp/bulk.dbx" 000002 | sha256sum)
check "cat 00000A is a message" 1 "$(run cat "$tmp/bulk.dbx" 00000A | tr -d '\r' | grep -c '^Subject: .* #10$')"
for id in a A 0a 0xA 0Xa 00000a 0000000A; do check "id $id" "$ten" "$(run cat "$tmp/bulk.dbx" "$id" | sha256sum)"; done
for id in 2 02 0x2 000002; do check "id $id" "$two" "$(run cat "$tmp/bulk.dbx" "$id" | sha256sum)"; done

# Folder trees: the real store, with the separator the inspector adds and with
# the caller's own; "@" stands for it. Paths are printed as they are.
if [ $windows = 1 ]; then sep='\'; else sep=/; fi
expected=$'\t\t\t\t\t-
  000001\t\t0\tLocal Folders\t\t-\tno file
    000006\t000001\t3\tSent Items\t\t-\tno file
    000005\t000001\t2\tOutbox\t@Outbox.dbx\t-\tnot chosen
    000004\t000001\t1\tInbox\t@Inbox.dbx\twatched\tinbox
    000008\t000001\t5\tDrafts\t\t-\tno file
    000007\t000001\t4\tDeleted Items\t\t-\tno file
  000009\t\t0\tHotmail\t\t-\tno file'
check "folders real store" "${expected//@/"$store$sep"}" "$(run folders "$store" | tr -d '\r')"
check "folders trailing separator" "${expected//@/"$store/"}" "$(run folders "$store/" | tr -d '\r')"

# A made-up store: nesting, reverse order among siblings, watched folders below
# the top, escapes.
mkdir -p "$tmp/fsrc/Inbox/Sub" "$tmp/fsrc/Outbox" "$tmp/fsrc/Tab"$'\t'"bed" "$tmp/empty"
echo 1 > "$tmp/fsrc/Inbox/Sub/kind"
"$mkstore" build "$tmp/fstore" "$tmp/fsrc" >/dev/null
expected=$'\t\t\t\t\t-
  000001\t000000\t0\tLocal Folders\t\t-\tno file
    000005\t000001\t0\tTab\\tbed\t@Tab\\tbed.dbx\t-\tnot chosen
    000004\t000001\t2\tOutbox\t@Outbox.dbx\t-\tnot chosen
    000002\t000001\t1\tInbox\t@Inbox.dbx\twatched\tinbox
      000003\t000002\t1\tSub\t@Sub.dbx\twatched\tinbox'
check "folders made-up store" "${expected//@/"$tmp/fstore/"}" "$(run folders "$tmp/fstore/" | tr -d '\r')"

# The start-up scan: nothing at a plain start but a summary; every unread message with --test.
check "scan baseline" "" "$(run scan "$tmp/store" 2>/dev/null)"
check "scan baseline summary" \
    "scan: 1 folder watched, 2 messages seen, nothing announced (--test lists what a test start announces)" \
    "$(run scan "$tmp/store" 2>&1 >/dev/null | tr -d '\r')"
# The last column names the rule that decided: none here.
expected=$'Inbox\tTab\\tby\tback\\\\slash\\tand tab\tmpNormal\tline one\\r\\nno newline at end\\r\\n\t'
check "scan --test" "$expected" "$(run scan "$tmp/store" --test | tr -d '\r')"
check "scan --test before the directory" "$expected" "$(run scan --test "$tmp/store" | tr -d '\r')"

# Previews: what the popup would show, byte for byte.
printf 'MIME-Version: 1.0\r\nContent-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\nContent-Type: text/html; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n<p>Caf=E9 &amp; <b>cr=EApes</b></p>\r\n--b--\r\n' > "$tmp/html.eml"
# UTF-8 whatever the charset of the part; LF line ends natively.
check "preview-eml html part" $'Caf\xC3\xA9 & cr\xC3\xAApes' "$(run preview-eml "$tmp/html.eml" | tr -d '\r')"
check "preview of a stored message" "This email is to inform you of release '4.7.5' of 'centericq' through" \
    "$(run preview "$data/dbx/perl-dbx/test1.dbx" 2 | head -n 1 | tr -d '\r')"
[ $windows = 1 ] || check "preview has LF line ends" 0 "$(run preview "$data/dbx/perl-dbx/test1.dbx" 2 | grep -c $'\r')"

# Help and version: on standard output, status 0.
for args in --help -h "list --help" "scan -h"; do
    out=$(run $args 2>/dev/null); rc=$?
    check "$args status" 0 "$rc"
    check "$args usage" "usage: pellumo-dbx list FILE.dbx" "$(echo "$out" | head -n 1 | cut -c1-32)"
done
check "--version" "pellumo-dbx $(sed -n 's/^project(pellumo VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")" \
    "$(run --version | tr -d '\r')"

# Damaged and odd input, made here.
head -c 100 "$data/dbx/perl-dbx/test.dbx" > "$tmp/short.dbx"
head -c 20000 "$data/dbx/perl-dbx/test.dbx" > "$tmp/cut.dbx"
head -c 9000 "$tmp/bulk.dbx" > "$tmp/cutheader.dbx"
printf 'not a store file' > "$tmp/junk.dbx"
mkdir -p "$tmp/msgstore" "$tmp/noperm" && cp "$store/Inbox.dbx" "$tmp/msgstore/Folders.dbx"
# The bulk folder cut inside its index: the records before the cut are listed.
bulk_size=$(wc -c < "$tmp/bulk.dbx")
head -c $((bulk_size - 100)) "$tmp/bulk.dbx" > "$tmp/cutindex.dbx"

# Errors, one table: STATUS, first line on stderr, arguments. Status 1 errors
# are one line naming the program; usage errors (status 2) say what was wrong,
# then the usage. The system's reasons are those of the C library.
errors=(
    "1|pellumo-dbx: $tmp/none.dbx: No such file or directory|list $tmp/none.dbx"
    "1|pellumo-dbx: $tmp: Is a directory|list $tmp"
    "1|pellumo-dbx: $store/Folders.dbx: a folder list, not a message folder: see pellumo-dbx folders on its directory|list $store/Folders.dbx"
    "1|pellumo-dbx: $tmp/junk.dbx: Invalid dbx file|list $tmp/junk.dbx"
    "1|pellumo-dbx: truncated store file: $tmp/short.dbx: the file has 100 bytes, less than its header's 9404|list $tmp/short.dbx"
    "1|pellumo-dbx: truncated store file: $tmp/cutheader.dbx: the file has 9000 bytes, less than its header's 9404|list $tmp/cutheader.dbx"
    "1|pellumo-dbx: truncated store file: $tmp/cut.dbx: an index node at offset 123476 lies past the end (20000 bytes)|list $tmp/cut.dbx"
    "1|pellumo-dbx: truncated store file: $tmp/cut.dbx: an index node at offset 123476 lies past the end (20000 bytes)|cat $tmp/cut.dbx 2"
    "1|pellumo-dbx: $store/Inbox.dbx: no message with Id 0000FF|cat $store/Inbox.dbx ff"
    "1|pellumo-dbx: $store/Inbox.dbx: no message with Id 0000FF|preview $store/Inbox.dbx 0xFF"
    "1|pellumo-dbx: $tmp/none.eml: No such file or directory|preview-eml $tmp/none.eml"
    "1|pellumo-dbx: $tmp/none: No such file or directory|folders $tmp/none"
    "1|pellumo-dbx: $store/Folders.dbx: Not a directory|folders $store/Folders.dbx"
    "1|pellumo-dbx: $tmp/empty: no Folders.dbx here: not an Outlook Express store folder|folders $tmp/empty"
    "1|pellumo-dbx: Folders.dbx signature is not found|folders $tmp/msgstore"
    "1|pellumo-dbx: $tmp/none: No such file or directory|scan $tmp/none --test"
    "1|pellumo-dbx: $store/Inbox.dbx: Not a directory|scan $store/Inbox.dbx"
    "1|pellumo-dbx: $tmp/empty: no Folders.dbx here: not an Outlook Express store folder|scan $tmp/empty"
    "1|pellumo-dbx: Folders.dbx signature is not found|scan $tmp/msgstore"
    "2|pellumo-dbx: no command|"
    "2|pellumo-dbx: unknown command: frobnicate|frobnicate $store/Inbox.dbx"
    "2|pellumo-dbx: unknown option: --frobnicate|list --frobnicate $store/Inbox.dbx"
    "2|pellumo-dbx: cat takes FILE.dbx and ID|cat $store/Inbox.dbx"
    "2|pellumo-dbx: list takes FILE.dbx|list $store/Inbox.dbx $store/Outbox.dbx"
    "2|pellumo-dbx: not a message id (hex, as list shows them): 0xZ|cat $store/Inbox.dbx 0xZ"
    "2|pellumo-dbx: not a message id (hex, as list shows them): 100000000|cat $store/Inbox.dbx 100000000"
    "2|pellumo-dbx: --test is for scan|list --test $store/Inbox.dbx"
    "2|pellumo-dbx: --repair is for settings|scan --repair $store"
    "2|pellumo-dbx: --codepage needs a code page number: x|list --codepage x $store/Inbox.dbx"
    "2|pellumo-dbx: unknown code page: 12345|list --codepage 12345 $store/Inbox.dbx"
    "2|pellumo-dbx: --codepage is for list, folders and settings (scan reads texts as the program does)|scan --codepage 1251 $store"
)
# On Windows "folders" alone reads the registry's store (see tests/win/registry.sh).
[ $windows = 1 ] || errors+=("2|pellumo-dbx: folders takes STOREDIR|folders")
for row in "${errors[@]}"; do
    IFS='|' read -r status message args <<< "$row"
    read -r -a words <<< "$args"
    err=$(run "${words[@]}" 2>&1 >/dev/null | tr -d '\r'; exit "${PIPESTATUS[0]}"); rc=$?
    check "${args:-no arguments}: status" "$status" "$rc"
    check "${args:-no arguments}: message" "$message" "$(echo "$err" | head -n 1)"
    if [ "$status" = 1 ]; then check "${args:-no arguments}: one line" 1 "$(echo "$err" | wc -l)"
    else check "${args:-no arguments}: usage follows" 1 "$(echo "$err" | grep -c '^usage: ')"; fi
done
check "folders with an empty directory" 2 "$(run folders "" >/dev/null 2>&1; echo $?)"

# A cut file still shows what could be read before it says where it ends.
check "records before the cut" 12 "$(run list "$tmp/cutindex.dbx" 2>/dev/null | wc -l)"
check "cut index reported" 1 "$(run list "$tmp/cutindex.dbx" 2>&1 >/dev/null | grep -c '^pellumo-dbx: truncated store file: ')"

# A file that cannot be read: the system's reason. Root reads anything, so
# as root the check runs as nobody (not through Wine, whose prefix is root's).
printf 'x' > "$tmp/noperm/locked.dbx" && chmod 000 "$tmp/noperm/locked.dbx"
if [ "$(id -u)" != 0 ]; then
    check "unreadable file" "pellumo-dbx: $tmp/noperm/locked.dbx: Permission denied" \
        "$(run list "$tmp/noperm/locked.dbx" 2>&1 >/dev/null | tr -d '\r')"
elif [ -z "${RUNNER:-}" ] && command -v setpriv >/dev/null; then
    check "unreadable file" "pellumo-dbx: $tmp/noperm/locked.dbx: Permission denied" \
        "$(setpriv --reuid=nobody --regid=nogroup --clear-groups "$dbx" list "$tmp/noperm/locked.dbx" 2>&1 >/dev/null)"
else
    echo "inspector: skipped the unreadable-file check (root, through $RUNNER)"
fi

# Output that cannot be written is an error; a reader that goes away is not.
check "full disk" "pellumo-dbx: cannot write the output: No space left on device" \
    "$(run list "$data/dbx/perl-dbx/test.dbx" 2>&1 >/dev/full | tr -d '\r')"
check "full disk status" 1 "$(run cat "$data/dbx/perl-dbx/test.dbx" 2 >/dev/full 2>/dev/null; echo $?)"
"$mkstore" bulk "$tmp/big.dbx" 3000 >/dev/null
check "closed pipe is quiet" "" "$({ run list "$tmp/big.dbx" | head -n 1 >/dev/null; } 2>&1 | tr -d '\r')"

# mkstore: help, version, usage, and what it refuses.
out=$("$mkstore" --help 2>/dev/null); rc=$?
check "mkstore --help status" 0 "$rc"
check "mkstore --help usage" "usage: mkstore build" "$(echo "$out" | head -n 1 | cut -c1-20)"
check "mkstore --version" "$(run --version | tr -d '\r' | sed 's/^pellumo-dbx/mkstore/')" "$("$mkstore" --version)"
mk_error() {  # NAME STATUS FIRST-LINE ARGS...
    local name=$1 status=$2 message=$3; shift 3
    local err rc
    err=$("$mkstore" "$@" 2>&1 >/dev/null); rc=$?
    check "mkstore $name status" "$status" "$rc"
    check "mkstore $name message" "$message" "$(echo "$err" | head -n 1)"
}
mk_error "unknown command" 2 "mkstore: unknown command: frobnicate" frobnicate
mk_error "unknown option" 2 "mkstore: unknown option: --frobnicate" build --frobnicate "$tmp/x" "$tmp/src"
mk_error "option of another command" 2 "mkstore: --force is not an option of bulk" bulk "$tmp/x.dbx" 2 --force
mk_error "non-empty output" 1 "mkstore: $tmp/store is not empty (--force writes the store into it all the same)" \
    build "$tmp/store" "$tmp/src"
mk_error "output is a file" 1 "mkstore: not a directory: $tmp/junk.dbx" build "$tmp/junk.dbx" "$tmp/src"
head -c 3000 /dev/urandom > "$tmp/random.eml"
printf 'just a line of text\r\n\r\nand a body\r\n' > "$tmp/plain.eml"
cp "$tmp/store/Inbox.dbx" "$tmp/add.dbx"
mk_error "add random bytes" 1 "mkstore: $tmp/random.eml: not a message: it does not start with header fields" \
    add "$tmp/add.dbx" "$tmp/random.eml"
mk_error "add text without header" 1 "mkstore: $tmp/plain.eml: not a message: it does not start with header fields" \
    add "$tmp/add.dbx" "$tmp/plain.eml"
mk_error "add a missing file" 1 "mkstore: cannot open $tmp/none.eml: No such file or directory" add "$tmp/add.dbx" "$tmp/none.eml"
check "refused add leaves the file" "$(sha256sum < "$tmp/store/Inbox.dbx")" "$(sha256sum < "$tmp/add.dbx")"
"$mkstore" --force --per-node 1 build "$tmp/store" "$tmp/src" >/dev/null
check "build --force, options first" 2 "$(run list "$tmp/store/Inbox.dbx" | wc -l)"
"$mkstore" add "$tmp/add.dbx" "$tmp/html.eml"
check "add a message" 3 "$(run list "$tmp/add.dbx" | wc -l)"

checks_done inspector
