#!/bin/bash
# Checks the built program as Windows' loader reads it from the file. Another program loads
# it and calls DELREGKEY by name, so the name, ordinal, module name and base relocations must
# be exactly as agreed. It imports only libraries that Windows maps from its KnownDLLs list,
# never from the program's folder. It is marked as registering no structured exception
# handler, which holds only while its code registers none. And it stays within its size limit.
# Usage: check_image.sh <objdump> <exe>
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

# The one name, undecorated, at ordinal index 0 (ordinal 1 with base 1). binutils 2.40 prints
# "[   0] DELREGKEY"; 2.44 adds a column header, the ordinal and the hint:
# "[   0] +base[   1]  0000 DELREGKEY".
names="$(section '[Ordinal/Name Pointer] Table' | tail -n +2 | grep -Ev $'^\t +Ordinal +Hint +Name$')"
if grep -Eqx $'\t\\[ +0\\]( \\+base\\[ +1\\] +[0-9a-f]+)? DELREGKEY' <<<"$names" && [ "$(wc -l <<<"$names")" = 1 ]; then
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

# Imports: KnownDLLs of every Windows from 7 on (the list shrank over the years; these stayed).
known="advapi32 clbcatq comdlg32 difxapi gdi32 imagehlp imm32 kernel32 msctf msvcrt normaliz nsi
ole32 oleaut32 psapi rpcrt4 sechost setupapi shell32 shlwapi user32 wldap32 ws2_32"
imports="$(sed -En 's/^\tDLL Name: (.*)$/\1/p' <<<"$dump" | tr 'A-Z' 'a-z' | sed 's/\.dll$//')"
if [ -z "$imports" ]; then
    echo "FAILED: no imports found"
    failures=$((failures + 1))
fi
for dll in $imports; do
    if grep -qw -- "$dll" <<<"$known"; then
        echo "ok: imports $dll.dll, a KnownDLL"
    else
        echo "FAILED: imports $dll.dll, which Windows looks for beside the program first"
        failures=$((failures + 1))
    fi
done

# DllCharacteristics: 0x8000 terminal-server aware, 0x400 no SEH, 0x100 NX, 0x40 dynamic base.
dll_characteristics="$(sed -En 's/^DllCharacteristics[ \t]+([0-9a-f]+)$/\1/p' <<<"$dump" | head -n1)"
for flag in 8000:terminal-server-aware 400:no-SEH 100:NX-compatible 40:dynamic-base; do
    if [ -n "$dll_characteristics" ] && (( (16#$dll_characteristics & 16#${flag%%:*}) != 0 )); then
        echo "ok: marked ${flag#*:}"
    else
        echo "FAILED: not marked ${flag#*:} (DllCharacteristics $dll_characteristics)"
        failures=$((failures + 1))
    fi
done
# An x86 handler is registered by linking a record into the chain at fs:[0], or by the runtime's
# handler functions; with the no-SEH mark Windows would never call it.
if "$objdump" -d "$exe" | grep -Eq '%fs:(0x0)?\(|%fs:0x0([^0-9a-fx]|$)'; then
    echo "FAILED: code touches the exception chain at fs:[0]"
    failures=$((failures + 1))
else
    echo "ok: no code touches the exception chain at fs:[0]"
fi
# The imported functions: the last field of each line under an import table's "vma:" header
# (binutils 2.40: vma, hint, name; 2.44: vma, ordinal, hint, name).
functions="$(awk '/^\tvma:/ { on = 1; next } /^$/ { on = 0 } on { print $NF }' <<<"$dump")"
if [ -z "$functions" ]; then
    echo "FAILED: no imported functions found"
    failures=$((failures + 1))
elif grep -Eiq '^(_except_handler|__CxxFrameHandler|_EH_prolog|_setjmp3|__C_specific_handler)' <<<"$functions"; then
    echo "FAILED: imports a structured exception handler of the runtime"
    failures=$((failures + 1))
else
    echo "ok: imports no structured exception handler"
fi

# A small download: the build is reproducible, so the size is a fixed property of the source.
limit=$((64 * 1024))
size="$(stat -c %s "$exe")"
if [ "$size" -le "$limit" ]; then
    echo "ok: $size bytes, within the limit of $limit"
else
    echo "FAILED: $size bytes, over the limit of $limit (64 KiB)"
    failures=$((failures + 1))
fi

exit $((failures > 0))
