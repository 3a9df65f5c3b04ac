#!/bin/bash
# Builds the installer, two baseline dialog programs and the benchmark driver, reads the sizes
# from the files, measures the programs under Wine and Xvfb, prints the tables and writes them
# with the machine's details to docs/benchmarks.md. Not part of the test suite. TURNIX_BENCH_RUNS
# overrides the number of timed runs per figure (15) for a quick try; the figures kept use 15.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/common.sh"
set_up_and_pick_build_dir run
configure_and_build "$BUILD" turnix turnix_baseline turnix_baseline_loads turnix_bench
make_prefix bench

windows_path() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }
EXE="$BUILD/VLC Turnix extension.exe"
FLOOR="$BUILD/bench/turnix_baseline.exe"
ICON="$BUILD/resources/turnix.ico"
OBJDUMP=i686-w64-mingw32-objdump
TABLE="$BUILD/bench/table.md"
MEASURED="$BUILD/bench/measured.md"
rm -f "$TABLE" "$MEASURED"

# The .text section as the file holds it: objdump gives its size before the padding to FileAlignment.
text_bytes() {   # exe
    local size align
    size="$("$OBJDUMP" -h "$1" | awk '$2 == ".text" { print $3 }')"
    align="$("$OBJDUMP" -p "$1" | awk '$1 == "FileAlignment" { print $2 }')"
    [ -n "$size" ] && [ -n "$align" ] || { echo "bench: no .text section or file alignment in $1" >&2; return 1; }
    echo $(( (16#$size + 16#$align - 1) / 16#$align * 16#$align ))
}
has_resources() { "$OBJDUMP" -h "$1" | awk '$2 == ".rsrc" { found = 1 } END { exit !found }'; }

# The icon's resources are the .ico's images, each with a 14-byte entry in the group (the .ico's
# entries take 16) behind the same 6-byte header.
has_resources "$EXE" && ! has_resources "$FLOOR" ||
    { echo "bench: the installer must hold resources and floor 1 none" >&2; exit 1; }
images="$(od -An -tu2 --endian=little -j4 -N2 "$ICON" | tr -d ' ')"
icon=$(( $(stat -c %s "$ICON") - 2 * images ))
size="$(stat -c %s "$EXE")"
floor_size="$(stat -c %s "$FLOOR")"
text="$(text_bytes "$EXE")"
floor_text="$(text_bytes "$FLOOR")"
row() {   # figure, value and baseline in bytes
    awk -v f="$1" -v v="$2" -v b="$3" 'BEGIN { printf "| %s | %.1f | %.1f | %.2f |\n", f, v / 1024, b / 1024, v / b }'
}
{
    printf '| Figure | Value | Baseline | Ratio |\n|---|---:|---:|---:|\n'
    row "File size (KiB)" "$size" "$floor_size"
    row "File size without the icon (KiB)" $((size - icon)) "$floor_size"
    row ".text section (KiB)" "$text" "$floor_text"
} >"$TABLE"

# The session is warmed up before the first measurement, as for the tests; the driver sets up
# and puts back the registry and scratch folder.
wine_session 1280x800
rc=0
"$REPO/tools/wine-run.sh" "$BUILD/bench/turnix_bench.exe" "$(windows_path "$EXE")" "$(windows_path "$FLOOR")" \
    "$(windows_path "$BUILD/bench/turnix_baseline_loads.exe")" ${TURNIX_BENCH_RUNS:-} >"$MEASURED" </dev/null || rc=$?
[ -s "$MEASURED" ] || { echo "bench: the driver produced no table (exit code $rc)" >&2; exit 1; }
cat "$MEASURED" >>"$TABLE"

echo
cat "$TABLE"

cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
how="natively"
if ! /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1 || [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
    how="through qemu-i386 $(qemu-i386 --version 2>/dev/null | grep -oE 'version [0-9.]+' | head -n1) (user mode), so absolute times are inflated"
fi
mkdir -p "$REPO/docs"
{
    cat <<EOF
# Benchmarks

Measured by \`bash tools/bench.sh\` on $(date -u +%Y-%m-%d): $(nproc) cores ($cpu), $(as_wine_user wine --version),
Xvfb, 32-bit Wine running $how.
Ratios against the baseline measured in the same run count more than absolute values on a
shared machine.

EOF
    cat "$TABLE"
    echo
    cat "$REPO/bench/notes.md"
} > "$REPO/docs/benchmarks.md"
echo "written: $REPO/docs/benchmarks.md"
exit $rc
