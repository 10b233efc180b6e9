#!/usr/bin/env bash
# The setup program under Wine on a private X server, in a fresh prefix of
# its own: a silent install, the installed program announcing mail, a silent
# install over the running program with the start with Windows option, the
# start with Windows for every user (turned off by one, an earlier version's
# own value taken over), a move to another folder, a program file held by a
# copy setup cannot see (replaced at the restart), and the silent uninstall
# Add or Remove Programs would run, leaving nothing in the temporary folder
# after the restart; then setup and the uninstaller as a German user sees
# them (screenshot build/install-de.png). The version is the one in the
# setup program's name; the program's version resource must say the same.
#   install.sh PELLUMO-SETUP-VERSION.EXE PELLUMO.EXE PELLUMO-DRIVER.EXE MKSTORE
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
setup=$1 exe=$2 driver=$3 mkstore=$4
[ -f "$setup" ] || { echo "FAIL no setup program $setup (is NSIS installed?)"; exit 1; }
version=$(basename "$setup" .exe)
version=${version#pellumo-setup-}
wine=$here/scripts/wine-run
# Setup speaks the user's language, which Wine takes from the locale:
# English here, whatever the machine's, unless a step says otherwise.
export LC_ALL=C.UTF-8
export PELLUMO_WINEPREFIX=$here/build/wineprefix-install
rm -rf "$PELLUMO_WINEPREFIX"
. "$here/tests/win/xvfb.sh"
window_session

. "$here/tests/checks.sh"
value() {  # value KEY NAME: the data of one registry value, or "absent"
    local found
    found=$(reg_value "$1" "$2")
    if [ -n "$found" ]; then echo "${found#* }"; else echo absent; fi
}
eml() {  # eml FILE SENDER SUBJECT
    printf 'From: %s <someone@example.com>\r\nSubject: %s\r\nContent-Type: text/plain\r\n\r\nHello.\r\n' \
        "$2" "$3" >"$1"
}
# Whether the program has written its settings since the key was deleted:
# the popup's place is among what it writes on the way out.
saved() { [ "$(value "$settings_key" 'Window Location')" != absent ] && echo saved; }
ended_within_20s() {  # ended_within_20s PID: rc := its exit code once it ends, or "still running" after 20 s
    rc="still running"
    for _ in $(seq 40); do
        kill -0 "$1" 2>/dev/null || { wait "$1"; rc=$?; return; }
        sleep 0.5
    done
}
# The Linux process ids of this prefix's processes whose command line
# matches PATTERN.
in_prefix() {
    local p
    for p in $(pgrep -f "$1"); do
        grep -qzx "WINEPREFIX=$PELLUMO_WINEPREFIX" "/proc/$p/environ" 2>/dev/null && echo "$p"
    done | sort | tr '\n' ' ' | sed 's/ $//'
}
# The installed copies of pellumo.exe running now (the program's own
# processes, not a shell starting it).
running() { in_prefix '^"?C:\\(Program Files\\)?Pellumo\\pellumo\.exe'; }
# Leaves the program through its menu, as the user does.
menu_exit() {
    d tray context >/dev/null
    d menu 10 >/dev/null
    d menu-key x >/dev/null
    d wait-exit 20 >/dev/null
}
# Windows restarting: the prefix's processes end and the files waiting for
# the restart are moved or deleted.
restart() {
    WINEPREFIX=$PELLUMO_WINEPREFIX wineserver -k >/dev/null 2>&1
    "$wine" wineboot -r >/dev/null 2>&1
    WINEPREFIX=$PELLUMO_WINEPREFIX wineserver -w
}
# Whether FILE holds TEXT in UTF-16, as a shortcut keeps its description.
holds() {
    if [ -f "$1" ] && python3 -c 'import sys; sys.exit(sys.argv[2].encode("utf-16-le") not in open(sys.argv[1], "rb").read())' \
        "$1" "$2"; then echo yes; else echo no; fi
}
# Clicks the control of window TITLE that reads TEXT once it is there, as a
# user who reads it would (the driver's toggle, by the control's text; a
# click on a message box's text does nothing): "clicked", or nothing.
click() {
    for _ in $(seq 60); do
        [ -n "$(d toggle "$1" "$2")" ] && { echo clicked; return; }
        sleep 0.2
    done
}

drive_c=$PELLUMO_WINEPREFIX/drive_c
dir="$drive_c/Program Files/Pellumo"
shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pellumo.lnk"
installed='C:\Program Files\Pellumo\pellumo.exe'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellumo'
machine_run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
log="$drive_c/users/$(id -un)/AppData/Roaming/Ostrivane/Pellumo/pellumo.log"
temp_dir="$drive_c/users/$(id -un)/Temp"
# Wine would turn the Start menu shortcut into a desktop entry of this machine.
reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /t REG_SZ /d '' /f

echo "-- the version resource"
# The fixed part's numbers and the strings of the first string table.
resource=$(python3 - "$exe" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
at = data.find(struct.pack('<I', 0xFEEF04BD))
if at < 0:
    sys.exit('no version resource')
_, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from('<6I', data, at)
print('file %d.%d.%d.%d' % (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF))
print('product %d.%d.%d.%d' % (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF))
def string(key):  # a String block: its key, padding to 4 bytes, the value (UTF-16)
    name = (key + '\0').encode('utf-16-le')
    i = data.find(name, at)
    if i < 0:
        return '(none)'
    i = (i + len(name) + 3) & ~3
    end = i
    while data[end:end + 2] != b'\0\0':
        end += 2
    return data[i:end].decode('utf-16-le')
for key in ('FileVersion', 'ProductVersion', 'ProductName', 'CompanyName', 'OriginalFilename'):
    print('%s %s' % (key, string(key)))
PY
)
check "the version resource says the setup program's version" \
    "$(printf 'file %s.0\nproduct %s.0\nFileVersion %s\nProductVersion %s\nProductName Pellumo\nCompanyName Ostrivane\nOriginalFilename pellumo.exe' \
        "$version" "$version" "$version" "$version")" "$resource"

echo "-- silent install"
"$wine" "$setup" /S >/dev/null 2>&1
check "the setup program succeeds" "0" "$?"
check "the program is installed as built" "same" "$(cmp -s "$exe" "$dir/pellumo.exe" && echo same)"
check "with its uninstaller" "present" "$([ -f "$dir/uninstall.exe" ] && echo present)"
check "the Start menu shortcut is there" "present" "$([ -f "$shortcut" ] && echo present)"
check "and starts the installed program" "$installed" "$(strings -a "$shortcut" | grep -xF "$installed")"
check "its description in English" "yes" "$(holds "$shortcut" "Pellumo new-mail notifier")"
check "the uninstall entry has the version" "$version" "$(value "$uninstall_key" DisplayVersion)"
check "its name and publisher" "Pellumo Ostrivane" "$(value "$uninstall_key" DisplayName) $(value "$uninstall_key" Publisher)"
check "its quiet uninstall" "\"C:\\Program Files\\Pellumo\\uninstall.exe\" /S" "$(value "$uninstall_key" QuietUninstallString)"
check "no start with Windows unless asked" "absent absent" \
    "$(value "$machine_run_key" Pellumo) $(value "$run_key" Pellumo)"

echo "-- the installed program"
src=$tmp/src store=$tmp/store
mkdir -p "$src/Inbox" "$tmp/new"
eml "$src/Inbox/01.eml" "Alice Example" "Already there"
"$mkstore" build "$store" "$src" >/dev/null
reg add 'HKCU\Identities' /v 'Last User ID' /d '{INSTALL-1}' /f
reg add 'HKCU\Identities\{INSTALL-1}' /v Username /d 'Main Identity' /f
reg add 'HKCU\Identities\{INSTALL-1}\Software\Microsoft\Outlook Express\5.0' /v 'Store Root' \
    /d "$(winpath "$store")" /f
for v in AutoHideHint UseFading DisplayWhenOEActive HintTime; do
    reg add "$settings_key" /v $v /t REG_DWORD /d 1 /f
done
"$wine" "$installed" >"$tmp/pellumo.log" 2>&1 &
pid=$!
check "it starts" "started" "$(d wait-start 30)"
d nudge >/dev/null  # someone at the desk: without any input the user counts as away
sleep 1  # the watcher arms its change notification a moment after start
eml "$tmp/new/02.eml" "Bob Example" "Installed and watching"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/02.eml" >/dev/null
check "it announces new mail" "(Inbox) | From : Bob Example | Subject : Installed and watching" "$(d popups 1 20 | heads)"

echo "-- silent install over the running program, starting with Windows"
reg delete "$settings_key" /f
old=$(running)
# Marks the installed file (past the image's end, which the running copy
# never reads) so that its replacement shows.
printf 'old copy' >>"$dir/pellumo.exe"
"$wine" "$setup" /S /STARTWITHWINDOWS >/dev/null 2>&1
check "the setup program succeeds" "0" "$?"
ended_within_20s "$pid"
check "the running copy ended in order" "0" "$rc"
check "saving its settings as it does on Exit" "saved" "$(saved)"
check "the program file is replaced" "same" "$(cmp -s "$exe" "$dir/pellumo.exe" && echo same)"
check "a new copy runs" "started" "$(d wait-start 30)"
new=$(running)
check "one copy, not the old one" "1 yes" "$(echo $new | wc -w) $([ -n "$new" ] && [ "$new" != "$old" ] && echo yes)"
check "the machine's Run value starts it for every user" "\"$installed\" /autostart absent" \
    "$(value "$machine_run_key" Pellumo) $(value "$run_key" Pellumo)"
d nudge >/dev/null
sleep 1
eml "$tmp/new/03.eml" "Carol Example" "After the upgrade"
"$mkstore" add "$store/Inbox.dbx" "$tmp/new/03.eml" >/dev/null
check "the new copy announces new mail" "(Inbox) | From : Carol Example | Subject : After the upgrade" "$(d popups 1 20 | heads)"

echo "-- start with Windows for every user"
"$wine" "$installed" /autostart >/dev/null 2>&1
check "a start with Windows while a copy runs ends at once" "0" "$?"
check "opening no dialog: the user did not ask for it" "0 1" "$(d count 'Pellumo Setup') $(echo $(running) | wc -w)"
# The user's own choice, in the setup dialog: no rights needed.
d tray dblclk >/dev/null
d wait-title 'Pellumo Setup' 10 >/dev/null
check "the setup dialog's Start with Windows is on, and turned off" "unchecked" \
    "$(d toggle 'Pellumo Setup' 'Start with &Windows')"
d press 'Pellumo Setup' ok >/dev/null
for _ in $(seq 50); do [ "$(query StartWithWindows)" = "REG_DWORD 0x0" ] && break; sleep 0.2; done
check "as the user's setting, the Run values as they were" "REG_DWORD 0x0 \"$installed\" /autostart absent" \
    "$(query StartWithWindows) $(value "$machine_run_key" Pellumo) $(value "$run_key" Pellumo)"
menu_exit
"$wine" "$installed" /autostart >/dev/null 2>&1
check "turned off by the user, it ends at once" "0" "$?"
check "silently, saying why in the log" "none 1" \
    "$([ -z "$(running)" ] && echo none) $(grep -c 'turned off: ending' "$log")"
# An earlier version's start with Windows, the user's own.
reg delete "$settings_key" /v StartWithWindows /f
reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Pellumo /d "\"$installed\"" /f
"$wine" "$installed" >/dev/null 2>&1 &
pid=$!
check "the start the earlier value makes runs" "started" "$(d wait-start 30)"
check "and takes the value over as the setting, on" "absent REG_DWORD 0x1" \
    "$(value "$run_key" Pellumo) $(query StartWithWindows)"
menu_exit
wait "$pid"
# Another user's earlier value, naming the folder setup has since moved away.
reg delete "$settings_key" /v StartWithWindows /f
reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Pellumo /d '"C:\Old Pellumo\pellumo.exe"' /f
"$wine" "$installed" /autostart >/dev/null 2>&1 &
pid=$!
check "a value naming a program gone: the start at logon runs" "started" "$(d wait-start 30)"
check "the value goes, the setting is on" "absent REG_DWORD 0x1" "$(value "$run_key" Pellumo) $(query StartWithWindows)"
menu_exit
wait "$pid"

echo "-- a move to another folder"
moved='C:\Pellumo\pellumo.exe'
reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v Pellumo /d "\"$installed\"" /f
"$wine" "$setup" /S '/D=C:\Pellumo' >/dev/null 2>&1
check "the setup program succeeds" "0" "$?"
check "the old copy's folder is gone" "gone" "$([ -e "$dir" ] || echo gone)"
dir="$drive_c/Pellumo"
check "the new one has the program and its uninstaller" "same present" \
    "$(cmp -s "$exe" "$dir/pellumo.exe" && echo same) $([ -f "$dir/uninstall.exe" ] && echo present)"
check "the uninstall entry follows" "C:\Pellumo \"C:\Pellumo\uninstall.exe\" /S" \
    "$(value "$uninstall_key" InstallLocation) $(value "$uninstall_key" QuietUninstallString)"
check "both Run values start the new copy" "\"$moved\" /autostart \"$moved\"" \
    "$(value "$machine_run_key" Pellumo) $(value "$run_key" Pellumo)"
check "so does the shortcut" "$moved" "$(strings -a "$shortcut" | grep -xF "$moved")"
installed=$moved

echo "-- a program file in use by a copy setup cannot see"
# Another desktop stands for another user's session: setup finds no window
# to close there, and the running program holds its file.
"$wine" explorer /desktop=Other,640x480 "$installed" >/dev/null 2>&1 &
for _ in $(seq 100); do [ -n "$(running)" ] && break; sleep 0.2; done
printf 'old copy' >>"$dir/pellumo.exe"
# Wine hands on only the low byte of a Windows exit status; cmd tells it whole.
check "setup succeeds, telling a restart is needed" "3010" \
    "$("$wine" cmd /v:on /c "start \"\" /wait \"$(winpath "$(realpath "$setup")")\" /S & echo !errorlevel!" 2>/dev/null |
        tr -d '\r')"
check "the file in use is left as it is, the new one beside it" "differ same" \
    "$(cmp -s "$exe" "$dir/pellumo.exe" || echo differ) $(cmp -s "$exe" "$dir/pellumo.exe.new" && echo same)"
restart
check "at the restart the new program takes its place" "same gone" \
    "$(cmp -s "$exe" "$dir/pellumo.exe" && echo same) $([ -e "$dir/pellumo.exe.new" ] || echo gone)"

echo "-- silent uninstall, as Add or Remove Programs runs it"
reg delete "$settings_key" /f
"$wine" "$installed" >/dev/null 2>&1 &
check "the installed program runs" "started" "$(d wait-start 30)"
# The program writes its own Run value with /autostart: it starts this copy.
reg add "$run_key" /v Pellumo /d "\"$installed\" /autostart" /f
quiet=$(value "$uninstall_key" QuietUninstallString)
uninstaller=${quiet%\" /S}
uninstaller=${uninstaller#\"}
"$wine" "$uninstaller" /S >/dev/null 2>&1
check "the uninstaller starts" "0" "$?"
# It runs on from a copy of itself in the temporary folder, so that it can
# remove its own file: done when that copy has ended.
for _ in $(seq 120); do [ -n "$(in_prefix '~nsu')" ] || break; sleep 0.5; done
check "the uninstaller has ended" "" "$(in_prefix '~nsu')"
check "the running copy is ended" "" "$(running)"
check "its settings saved on the way, and kept" "saved" "$(saved)"
check "the program folder is gone" "gone" "$([ -e "$dir" ] || echo gone)"
check "the shortcut is gone" "gone" "$([ -e "$shortcut" ] || echo gone)"
check "the Run value is gone" "absent" "$(value "$run_key" Pellumo)"
check "the uninstall entry is gone" "absent" "$(value "$uninstall_key" DisplayName)"
check "the machine's Run value is gone" "absent" "$(value "$machine_run_key" Pellumo)"
# The uninstaller ran from a copy of itself, which goes at the restart;
# nothing else of setup's or the uninstaller's is left meanwhile.
check "the temporary folder holds only the uninstaller's own copy" "~nsu1.tmp ~nsu1.tmp/Un.exe" \
    "$(cd "$temp_dir" && echo $(find . -mindepth 1 | sed 's|^\./||' | sort))"
restart
check "after the restart the temporary folder is empty" "" "$(ls -A "$temp_dir")"

echo "-- in the user's language: setup and the uninstaller"
# A German user: NSIS's pages and Pellumo's own texts are German. Each page
# is left by its German button; the title is setup's own on the welcome
# page, with a space after it on the others.
caption="Installation von Pellumo $version"
LC_ALL=de_DE.UTF-8 "$wine" "$setup" >/dev/null 2>&1 &
pid=$!
check "a German user's setup opens in German" "found" "$(d wait-title "$caption" 30)"
d shot "$tmp/install-de.bmp" >/dev/null && convert "$tmp/install-de.bmp" -trim "$here/build/install-de.png"
check "the welcome page goes on with Weiter" "clicked" "$(click "$caption" '&Weiter >')"
check "so does the folder page" "clicked" "$(click "$caption " '&Weiter >')"
check "the components page installs" "clicked" "$(click "$caption " '&Installieren')"
check "the finish page ends setup" "clicked" "$(click "$caption " '&Fertigstellen')"
ended_within_20s "$pid"
check "which succeeds" "0" "$rc"
check "its ticked box starts Pellumo" "started" "$(d wait-start 30)"
check "the shortcut's description is German" "yes" \
    "$(holds "$shortcut" "Pellumo – Benachrichtigung bei neuen E-Mails")"
check "the uninstall entry keeps setup's language" "1031" "$(value "$uninstall_key" 'Installer Language')"
# Whoever uninstalls, an English user here, the uninstaller speaks it too.
caption="Deinstallation von Pellumo $version"
uninstaller=$(value "$uninstall_key" UninstallString)
uninstaller=${uninstaller//\"/}
"$wine" "$uninstaller" >/dev/null 2>&1
check "the uninstaller speaks setup's German to an English user" "clicked" \
    "$(click "$caption " '&Deinstallieren')"
check "and asks in German whether to remove the settings" "clicked" \
    "$(click "$caption" 'Auch die Einstellungen und das Protokoll von Pellumo entfernen?')"
check "Windows' own Yes answers it" "clicked" "$(click "$caption" '&Yes')"
# Its last page closes with Beenden once it is done (NSIS ignores the
# button while it is greyed).
for _ in $(seq 120); do
    [ -n "$(in_prefix '~nsu')" ] || break
    d toggle "$caption " '&Beenden' >/dev/null
    sleep 0.5
done
check "the uninstaller has ended, closed with Beenden, and so has Pellumo" " " "$(in_prefix '~nsu') $(running)"
check "the settings and the log are gone, as asked" "absent gone" \
    "$(value "$settings_key" 'Window Location') $([ -e "$(dirname "$log")" ] || echo gone)"

checks_done install
