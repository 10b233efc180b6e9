# Sourced by the test scripts. `check NAME EXPECTED ACTUAL` counts a pass or
# prints what differs; `checks_done SUITE` prints the tally and fails when
# anything did. For the scripts that run Windows programs ($wine, the Wine
# runner, set): `winpath` gives a Linux path as the Wine drive path, `reg`
# runs Wine's reg tool quietly, `reg_value` and `query` read one registry
# value, `d` runs the end-to-end driver ($driver) without the CRs of its
# output, and `lines` and `heads` read what its popups said.
fails=0 passes=0
check() {
    if [ "$2" == "$3" ]; then passes=$((passes + 1)); else
        fails=$((fails + 1)); printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"; fi
}
checks_done() {
    echo "$1: $passes passed, $fails failed"
    [ "$fails" -eq 0 ]
}
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
reg() { "$wine" reg "$@" >/dev/null 2>&1; }
d() { "$wine" "$driver" "$@" 2>/dev/null | tr -d '\r'; }
settings_key='HKCU\Software\Ostrivane\Pellumo\Settings'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
reg_value() {  # reg_value KEY NAME: "TYPE DATA" of one value, nothing when it is missing
    "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -F "    $2    " |
        sed -E 's/^ +//; s/ {4}/\t/g' | awk -F'\t' '{ print $2, $3 }'
}
query() { reg_value "$settings_key" "$1"; }  # one of Pellumo's settings
# The popups the driver reported, without their bodies: "(folder) | From : x |
# Subject : y"; heads also leaves out the count of those waiting ("(folder) +2").
lines() { grep '^popup: ' | sed -E 's/^popup: //; s/ \| [^|]*$//'; }
heads() { lines | sed -E 's/^(\([^|]*\)) \+[0-9]+ \|/\1 |/'; }
