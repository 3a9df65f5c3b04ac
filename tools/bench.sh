#!/bin/bash
# Builds the installer, two baseline dialog programs and the benchmark driver, measures the
# programs under Wine and Xvfb, prints one table and writes it with the machine's details
# to docs/benchmarks.md. Not part of the test suite. TURNIX_BENCH_RUNS overrides the
# number of timed runs per figure (15) for a quick try; the figures kept use 15.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/common.sh"
set_up_and_pick_build_dir run
configure_and_build "$BUILD" turnix turnix_baseline turnix_baseline_loads turnix_bench
make_prefix bench

windows_path() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }
TABLE="$BUILD/bench/table.md"
rm -f "$TABLE"

# The session is warmed up before the first measurement, as for the tests; the driver sets up
# and puts back the registry and scratch folder.
wine_session 1280x800
rc=0
"$REPO/tools/wine-run.sh" "$BUILD/bench/turnix_bench.exe" "$(windows_path "$BUILD/VLC Turnix extension.exe")" \
    "$(windows_path "$BUILD/bench/turnix_baseline.exe")" "$(windows_path "$BUILD/bench/turnix_baseline_loads.exe")" \
    ${TURNIX_BENCH_RUNS:-} >"$TABLE" </dev/null || rc=$?
[ -s "$TABLE" ] || { echo "bench: the driver produced no table (exit code $rc)" >&2; exit 1; }

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
