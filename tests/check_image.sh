#!/bin/bash
# Checks the export table of the built program, read from the file: another program loads
# it and calls DELREGKEY by name, so the name, ordinal, module name and base relocations
# must be exactly as agreed.
# Usage: check_exports.sh <objdump> <exe>
set -u
objdump="$1"
exe="$2"
dump="$("$objdump" -p "$exe")" || { echo "cannot read $exe"; exit 1; }
failures=0

expect() {   # description, extended regular expression that must match a line
    if grep -Eq -- "$2" <<<"$dump"; then
        echo "ok: $1"
    else
        echo "FAILED: $1 (no line matches /$2/)"
        failures=$((failures + 1))
    fi
}

section() {   # the lines from the one matching $1 up to the next empty line
    awk -v start="$1" 'index($0, start) { on = 1 } on && /^$/ { exit } on' <<<"$dump"
}

expect "export directory names the module" $'^Name[ \t]+[0-9a-f]+ VLC Turnix extension\\.exe$'
expect "ordinal base 1" $'^Ordinal Base[ \t]+1$'
expect "one exported function" $'^\tExport Address Table[ \t]+0*1$'
expect "one exported name" $'^\t\\[Name Pointer/Ordinal\\] Table[ \t]+0*1$'

# The one name, undecorated, at ordinal index 0 (ordinal 1 with base 1).
names="$(section '[Ordinal/Name Pointer] Table' | tail -n +2)"
if [ "$names" = $'\t[   0] DELREGKEY' ]; then
    echo "ok: DELREGKEY, undecorated, at ordinal 1"
else
    echo "FAILED: name table is not exactly DELREGKEY at ordinal 1:"
    printf '%s\n' "$names"
    failures=$((failures + 1))
fi

# A client's LoadLibraryA may place the file anywhere: it must keep its relocations.
characteristics="$(sed -En 's/^Characteristics[ \t]+0x([0-9a-f]+)$/\1/p' <<<"$dump" | head -n1)"
if [ -n "$characteristics" ] && (( (16#$characteristics & 0x1) == 0 )); then
    echo "ok: relocations not stripped"
else
    echo "FAILED: file header says relocations stripped (characteristics 0x$characteristics)"
    failures=$((failures + 1))
fi
expect "base relocations present" '^PE File Base Relocations'
expect "base relocation directory not empty" $'^Entry 5 [0-9a-f]+ 0*[1-9a-f][0-9a-f]* Base Relocation Directory'

exit $((failures > 0))
