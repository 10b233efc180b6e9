# Sourced by the test scripts. `check NAME EXPECTED ACTUAL` counts a pass or
# prints what differs; `checks_done SUITE` prints the tally and fails when
# anything did. For the scripts that run Windows programs ($wine, the Wine
# runner, set): `winpath` gives a Linux path as the Wine drive path, `reg`
# runs Wine's reg tool quietly, and `d` runs the end-to-end driver ($driver)
# without the CRs of its output.
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
