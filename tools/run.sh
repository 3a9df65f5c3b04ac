#!/bin/bash
# Builds "VLC Turnix extension.exe" and starts it under Wine.
# With a display (DISPLAY set) the dialog opens there and this command returns when
# you close it. Without one, it opens on a virtual screen: a screenshot is saved,
# the dialog is closed through its close command, and the exit code is printed; anything
# but a shown dialog that ends with exit code 0 makes this script fail.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/common.sh"
set_up_and_pick_build_dir run

EXE="$BUILD/VLC Turnix extension.exe"
[ -f "$EXE" ] || echo "building the program (first run only)…"
# The build's own output only matters when it fails.
FAILURE_LOG="$BUILD/build.log"
configure_and_build "$BUILD" turnix >"$FAILURE_LOG" 2>&1
tail -n 1 "$FAILURE_LOG"
FAILURE_LOG=
say_where_the_program_is "$BUILD"

make_prefix run
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
wine_session 1024x768
# xdotool fails on a window that is closing, so no errexit here; each exit but with code 0 ends
# this script with the handler's line and the log's tail.
(
    set +e
    "$REPO/tools/wine-run.sh" "$EXE" 2>>"$LOG" & pid=$!
    for _ in $(seq 1 360); do
        win=$(xdotool search --name "^VLC Turnix$" 2>>"$LOG" | head -n1) && [ -n "$win" ] && break
        sleep 0.5
    done
    if [ -z "${win:-}" ]; then echo "the dialog did not appear (details: $LOG)" >&2; kill $pid; exit 1; fi
    sleep 1
    import -window root "$SHOT" 2>>"$LOG" && echo "screenshot: $SHOT"
    # The dialog ends only through its close command (Alt+F4); ask again if it is still there.
    for _ in 1 2 3; do
        xdotool windowfocus --sync "$win" key alt+F4 >>"$LOG" 2>&1
        for _ in $(seq 1 20); do kill -0 $pid 2>/dev/null || break 2; sleep 0.5; done
    done
    if kill -0 $pid 2>/dev/null; then echo "the dialog did not close (details: $LOG)" >&2; kill $pid; fi
    wait $pid; code=$?
    echo "exit code: $code"
    exit $code
)
