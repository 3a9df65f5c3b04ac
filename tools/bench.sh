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
    cat <<'EOF'

- Baseline (floor 1): `bench/Baseline.cpp`, the least a Win32 program does to show a plain dialog
  from an in-memory template (`DialogBoxIndirectParamA`), built with the same compiler and flags.
- Floor 2: the same program built with `TURNIX_REQUIRED_LOADS`: it also makes the loads the
  installer cannot do without (COM, the common controls, one "shell32.dll" icon shown in the
  dialog), so the gap to it is the installer's own cost.
- Start-up: from `CreateProcessA` until the dialog is visible with both status lines set (the
  floors: visible); the three programs' runs interleaved in rotating order, after one unmeasured
  start of each. Minimum, median and maximum show how noisy the run was; ratios compare like
  with like (minimum to minimum, and so on).
- Idle: user plus kernel time the shown dialog takes over 10 s untouched, also summed over its
  threads, as Wine 8 does not advance `GetProcessTimes` for another process; 10 ms clock steps.
  The installer's message loop polls with a 1 ms sleep by design; the baseline waits in `GetMessage`.
- Install: from posting the install button's click until the dialog shows Installed (both lines
  set, button disabled), into a scratch extensions folder; the scripts are removed between runs.
- Peak working set: `GetProcessMemoryInfo` after an install, the baseline's once it is shown.
  Under emulation this is the emulator's resident memory, hence the high floor of both.
- Budgets: the whole file at most 64 KiB; start-up (median) at most 1.1 times floor 2.
EOF
} > "$REPO/docs/benchmarks.md"
echo "written: $REPO/docs/benchmarks.md"
exit $rc
