#!/bin/bash
# Builds "VLC Turnix extension.exe" and starts it under Wine.
# With a display (DISPLAY set) the dialog opens there and this command returns when
# you close it. Without one, it opens on a virtual screen: a screenshot is saved,
# the dialog is closed through its close command, and the exit code is printed.
set -euo pipefail
source "$(dirname "$0")/common.sh"
bash "$REPO/tools/setup.sh"

BUILD="$(pick_build_dir)"
configure_and_build "$BUILD" turnix
EXE="$BUILD/VLC Turnix extension.exe"
ls -l "$EXE"

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
xvfb-run -a -s "-screen 0 1024x768x24 -ac" bash -c '
    exe="$1"; shot="$2"
    "$3/tools/wine-run.sh" "$exe" & pid=$!
    for _ in $(seq 1 360); do
        win=$(xdotool search --name "^VLC Turnix$" 2>/dev/null | head -n1) && [ -n "$win" ] && break
        sleep 0.5
    done
    if [ -z "${win:-}" ]; then echo "the dialog did not appear" >&2; kill $pid; exit 1; fi
    sleep 1
    import -window root "$shot" && echo "screenshot: $shot"
    # The dialog ends only through its close command (the close box, Alt+F4).
    xdotool windowactivate --sync "$win" key alt+F4 2>/dev/null || xdotool key --window "$win" alt+F4
    wait $pid; code=$?
    # End the session here, so that no Wine process outlives the virtual screen.
    source "$3/tools/common.sh"; as_wine_user wineserver -k 2>/dev/null || true
    echo "exit code: $code"' _ "$EXE" "$SHOT" "$REPO"
