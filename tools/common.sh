# Shared by the scripts in tools/: where to build, how, and the Wine prefix and session.
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The opening of run, test, bench and screenshots: installs what the command needs, and sets
# BUILD. The tests run Wine as "nobody", which must reach the build folder. A clone inside a
# private home folder is not reachable, so such a build goes elsewhere.
set_up_and_pick_build_dir() {   # setup.sh's purpose: run or test
    bash "$REPO/tools/setup.sh" "$1"
    [ "$1" = test ] || export TURNIX_BUILD_TESTING=OFF
    BUILD="${TURNIX_BUILD_DIR:-$REPO/build}"
    if [ -z "${TURNIX_BUILD_DIR:-}" ] && [ "$(id -u)" = 0 ] &&
       ! setpriv --reuid=nobody --regid=nogroup --clear-groups -- test -x "$REPO"; then
        BUILD="/var/tmp/vlc-turnix-build-$(printf '%s' "$REPO" | md5sum | cut -c1-12)"
    fi
    mkdir -p "$BUILD"
    chmod 755 "$BUILD"
}

# One line naming the program's path when it is not the README's "build/".
say_where_the_program_is() {   # build dir
    [ "$1" = "$REPO/build" ] || echo "program: $1/VLC Turnix extension.exe"
}

# TURNIX_BUILD_TESTING=OFF leaves the suite out, so that building needs none of its packages.
configure_and_build() {   # build dir, then targets (none: all)
    local build="$1"; shift
    cmake -S "$REPO" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=MinSizeRel -DBUILD_TESTING="${TURNIX_BUILD_TESTING:-ON}" >/dev/null
    cmake --build "$build" -j"$(nproc)" ${1:+--target} "$@"
}

# Sets TURNIX_WINEPREFIX to the build's prefix of that name, made once, owned by whoever runs
# the Wine programs.
make_prefix() {   # name: run, test, bench, shots
    export TURNIX_WINEPREFIX="$BUILD/wine-$1/prefix"
    local prefix="$TURNIX_WINEPREFIX"
    if [ ! -f "$prefix/system.reg" ]; then
        echo "creating the Wine prefix (first run only)…"
        mkdir -p "$prefix"
        [ "$(id -u)" = 0 ] && chown nobody:nogroup "$prefix" "$(dirname "$prefix")"
        "$REPO/tools/wine-run.sh" wineboot -i >/dev/null 2>&1 || true
        as_wine_user wineserver -w
        [ -f "$prefix/system.reg" ] || { echo "could not create the Wine prefix $prefix" >&2; return 1; }
    fi
    # Wine does not find its own font folder here, so dialogs would fall back to a wider
    # font than "MS Sans Serif" and clip their texts; the prefix's Fonts folder is always searched.
    local fonts="$prefix/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/sserife.fon" ]; then
        as_wine_user cp -n /usr/share/wine/fonts/* "$fonts/"
    fi
}

# Every Wine process that the tools and the suite start, and whatever must act on the prefix
# as Wine's user, runs through wine_user_run: as root, as the user "nobody".
wine_user_command() {   # sets wine_user_run
    # LANG sets Wine's ANSI code page: C.UTF-8 gives 1252 unless TURNIX_WINE_LANG names another locale.
    export WINEPREFIX="$TURNIX_WINEPREFIX" WINEDEBUG="${WINEDEBUG:--all}" LANG="${TURNIX_WINE_LANG:-C.UTF-8}"
    # Debian 13's Wine 10 crashes at start whenever TMPDIR is set. Windows programs never see
    # it anyway: Wine gives them the prefix's own temporary folder. The home folder is beside
    # the prefix: "nobody" has none of its own.
    wine_user_run=(env -u TMPDIR HOME="$(dirname "$WINEPREFIX")")
    if [ "$(id -u)" = 0 ]; then
        wine_user_run=(setpriv --reuid=nobody --regid=nogroup --clear-groups -- "${wine_user_run[@]}"
                       USER=nobody LOGNAME=nobody)
    fi
}

as_wine_user() {
    wine_user_command
    "${wine_user_run[@]}" "$@"
}

# From here to the script's end, Wine programs run on a virtual screen of the given size, in one
# persistent Wine session: each of them then starts in a fraction of a second. The prefix's
# services and desktop start now, detached from the output that CTest collects: a test would
# otherwise leave them holding its pipe open. At the end the session goes first, so that no Wine
# process outlives the screen.
wine_session() {   # screen size, as 1280x800
    local display
    exec {xvfb_output}< <(exec Xvfb -displayfd 1 -screen 0 "${1}x24" -ac -nolisten tcp 2>/dev/null)
    xvfb_pid=$!
    trap 'as_wine_user wineserver -k >/dev/null 2>&1 || true; kill "$xvfb_pid" 2>/dev/null || true' EXIT
    read -r -u "$xvfb_output" display || { echo "${0##*/}: Xvfb failed to start" >&2; return 1; }
    export DISPLAY=":$display"
    # A server that an earlier run left (exit status 2) is used as it is.
    as_wine_user wineserver -p || true
    "$REPO/tools/wine-run.sh" wineboot </dev/null >/dev/null 2>&1 || true
}
