#!/usr/bin/env bash
# The shipped program must start on Windows XP SP3: its PE header has to
# accept XP (subsystem version 5.1 or lower) and it may import nothing that
# XP lacks. Lists every imported function and checks it against the
# functions later Windows versions added (post-xp.txt) and against the
# secure CRT functions, which XP's msvcrt.dll does not have.
#   imports.sh PROGRAM.EXE
set -u
here=$(cd "$(dirname "$0")" && pwd)
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "FAIL cannot read $exe"; exit 1; }
fails=0
imports=$(echo "$dump" | awk '/DLL Name:/ { dll = $3 } /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $3 }')
if [ -z "$imports" ]; then echo "FAIL no imports found (objdump's format changed?)"; exit 1; fi
echo "$(echo "$imports" | wc -l) imported functions from: $(echo "$imports" | awk '{ print $1 }' | sort -u | tr '\n' ' ')"

later=$(echo "$imports" | awk 'NR == FNR { if ($0 !~ /^#/ && NF) bad[$1] = 1; next } ($2 in bad) { print }' \
    "$here/post-xp.txt" -)
if [ -n "$later" ]; then echo "FAIL imports that Windows XP SP3 lacks:"; echo "$later"; fails=$((fails + 1)); fi
secure=$(echo "$imports" | grep -i '^msvcrt\.dll .*_s$')
if [ -n "$secure" ]; then echo "FAIL secure CRT functions XP's msvcrt.dll lacks:"; echo "$secure"; fails=$((fails + 1)); fi

major=$(echo "$dump" | awk '$1 == "MajorSubsystemVersion" { print $2 }')
minor=$(echo "$dump" | awk '$1 == "MinorSubsystemVersion" { print $2 }')
echo "subsystem version $major.$minor"
if [ -z "$major" ] || [ "$major" -gt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -gt 1 ]; }; then
    echo "FAIL the PE header asks for a Windows newer than XP"; fails=$((fails + 1))
fi
[ $fails -eq 0 ] && echo "imports: XP SP3 can load $exe"
[ $fails -eq 0 ]
