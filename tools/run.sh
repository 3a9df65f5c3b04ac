#!/bin/bash
# Builds "VLC Turnix extension.exe" and starts it under Wine.
# With a display (DISPLAY set) the dialog opens there and this command returns when
# you close it. Without one, it opens on a virtual screen: a screenshot is saved,
# the dialog is closed through its close command, and the exit code is printed; anything
# but a shown dialog that ends with exit code 0 makes this script fail.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/common.sh"
bash "$REPO/tools/setup.sh" run
export TURNIX_BUILD_TESTING=OFF

BUILD="$(pick_build_dir)"
EXE="$BUILD/VLC Turnix extension.exe"
[ -f "$EXE" ] || echo "building the program (first run only)…"
# The build's own output only matters when it fails.
FAILURE_LOG="$BUILD/build.log"
configure_and_build "$BUILD" turnix >"$FAILURE_LOG" 2>&1
tail -n 1 "$FAILURE_LOG"
FAILURE_LOG=
say_where_the_program_is "$BUILD"

export TURNIX_WINEPREFIX="$BUILD/wine-run/prefix"
make_prefix "$TURNIX_WINEPREFIX"
# No window manager on a virtual screen: let Wine draw the caption and frame itself.
"$REPO/tools/wine-run.sh" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Let that Wine session end: its desktop process, started without a display, would
# otherwise be shared by the program, which then cannot open its window.
as_wine_user wineserver -w

if [ -n "${DISPLAY:-}" ]; then
    set +e
    "$REPO/tools/wine-run.sh" "$EXE"
    echo "exit code: $?"
    exit 0
fi

SHOT="$BUILD/dialog.png"
# xdotool and import report on stderr about windows that come and go (the dialog closes while
# they look at it); those reports go to a log, and only the outcome is printed.
LOG="$BUILD/run.log"
: >"$LOG"
FAILURE_LOG="$LOG"
xvfb-run -a -s "-screen 0 1024x768x24 -ac" bash -c '
    exe="$1"; shot="$2"; log="$4"
    "$3/tools/wine-run.sh" "$exe" 2>>"$log" & pid=$!
    for _ in $(seq 1 360); do
        win=$(xdotool search --name "^VLC Turnix$" 2>>"$log" | head -n1) && [ -n "$win" ] && break
        sleep 0.5
    done
    if [ -z "${win:-}" ]; then echo "the dialog did not appear (details: $log)" >&2; kill $pid; exit 1; fi
    sleep 1
    import -window root "$shot" 2>>"$log" && echo "screenshot: $shot"
    # The dialog ends only through its close command (Alt+F4); ask again if it is still there.
    for _ in 1 2 3; do
        xdotool windowfocus --sync "$win" key alt+F4 >>"$log" 2>&1
        for _ in $(seq 1 20); do kill -0 $pid 2>/dev/null || break 2; sleep 0.5; done
    done
    if kill -0 $pid 2>/dev/null; then echo "the dialog did not close (details: $log)" >&2; kill $pid; fi
    wait $pid; code=$?
    # End the session here, so that no Wine process outlives the virtual screen.
    source "$3/tools/common.sh"; as_wine_user wineserver -k 2>/dev/null || true
    echo "exit code: $code"
    exit $code' _ "$EXE" "$SHOT" "$REPO" "$LOG"
