#!/bin/bash
# Takes a picture of each of the dialog's six states from the real program under Wine and
# Xvfb, cropped to the window, into docs/: not-detected, ready, overwrite, installed, failed,
# cannot-load.
# Not part of the test suite; run it again when the dialog's look changes. Uses a prefix of
# its own, so the test prefix stays untouched.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/common.sh"
set_up_and_pick_build_dir run
configure_and_build "$BUILD" turnix
make_prefix shots
wine_session 1024x768

exe="$BUILD/VLC Turnix extension.exe"; docs="$REPO/docs"
wine() { "$REPO/tools/wine-run.sh" "$@" </dev/null 2>/dev/null; }
# No window manager here: Wine then draws the caption and frame itself.
wine reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null

vlc_key="HKLM\\Software\\VideoLAN\\VLC"
roaming="$(as_wine_user winepath -u "$(wine cmd /c echo %APPDATA% | tr -d "\r")")"
extensions="$roaming/vlc/lua/extensions"

with_vlc()    { wine reg add "$vlc_key" /ve /d "C:\\Program Files\\VideoLAN\\VLC" /f /reg:32 >/dev/null; }
without_vlc() { wine reg delete "$vlc_key" /f /reg:32 >/dev/null || true; }
# As on a VLC that never had an extension: no vlc folder at all.
fresh_vlc()   { as_wine_user rm -rf "$roaming/vlc"; }

# Starts the program, presses the install button "clicks" times, saves the window as docs/<name>.png, closes it.
shoot() {
    local name="$1" clicks="$2" win="" pid
    "$REPO/tools/wine-run.sh" "$exe" </dev/null >/dev/null 2>&1 & pid=$!
    for _ in $(seq 1 120); do
        win=$(xdotool search --onlyvisible --name "^VLC Turnix$" 2>/dev/null | head -n1) && [ -n "$win" ] && break
        sleep 0.5
    done
    [ -n "$win" ] || { echo "the dialog did not appear" >&2; kill $pid; return 1; }
    sleep 1
    eval "$(xdotool getwindowgeometry --shell "$win")"
    # The button is centred at (168, 68) of the 360 x 90 client area.
    local border=$(( (WIDTH - 360) / 2 ))
    local top=$(( HEIGHT - border - 90 ))
    for _ in $(seq 1 "$clicks"); do
        xdotool mousemove --window "$win" $(( border + 168 )) $(( top + 68 )) click 1
        sleep 1.5
    done
    xdotool mousemove 0 0
    sleep 0.5
    import -window "$win" "$docs/$name.png"
    # The close box sits at the right end of the caption that Wine draws.
    xdotool mousemove --window "$win" $(( WIDTH - border - 10 )) $(( top / 2 )) click 1
    for _ in $(seq 1 20); do kill -0 $pid 2>/dev/null || break; sleep 0.5; done
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    echo "$docs/$name.png"
}

without_vlc; fresh_vlc;  shoot not-detected 0
with_vlc;               shoot ready 0
as_wine_user mkdir -p "$extensions"; as_wine_user touch "$extensions/Turnix+90°.lua"; shoot overwrite 1
fresh_vlc;              shoot installed 1
# A file where a folder belongs.
fresh_vlc; as_wine_user mkdir -p "$roaming/vlc"; as_wine_user touch "$roaming/vlc/lua"; shoot failed 1

# As for the user 李雷 on a Western (1252) Windows: the shell's roaming folder is steered into a
# user folder named in letters that the code page lacks, then put back (with the copy that Wine
# caches in "Shell Folders").
explorer="HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"
roaming_of() { wine reg query "$explorer\\$1" /v AppData | tr -d "\r" | sed -n "s/^ *AppData *$2 *//p"; }
set_roaming() { wine reg add "$explorer\\$1" /v AppData /t "$2" /d "$3" /f >/dev/null; }
steered_before="$(roaming_of "User Shell Folders" REG_EXPAND_SZ)"
cached_before="$(roaming_of "Shell Folders" REG_SZ)"
[ -n "$steered_before" ] && [ -n "$cached_before" ] || { echo "could not read the AppData folder" >&2; exit 1; }
other_user="$TURNIX_WINEPREFIX/drive_c/users/李雷"
as_wine_user mkdir -p "$other_user/AppData/Roaming"
set_roaming "User Shell Folders" REG_EXPAND_SZ "C:\\users\\李雷\\AppData\\Roaming"
shoot cannot-load 1
set_roaming "User Shell Folders" REG_EXPAND_SZ "$steered_before"
set_roaming "Shell Folders" REG_SZ "$cached_before"
as_wine_user rm -rf "$other_user"

without_vlc; fresh_vlc
