# Shared by the scripts in tools/: where to build, how, and the Wine prefix.
REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The tests run Wine as "nobody", which must reach the build folder. A clone
# inside a private home folder is not reachable, so such a build goes elsewhere.
pick_build_dir() {
    local dir="${TURNIX_BUILD_DIR:-$REPO/build}"
    if [ -z "${TURNIX_BUILD_DIR:-}" ] && [ "$(id -u)" = 0 ] &&
       ! setpriv --reuid=nobody --regid=nogroup --clear-groups -- test -x "$REPO"; then
        dir="/var/tmp/vlc-turnix-build-$(printf '%s' "$REPO" | md5sum | cut -c1-12)"
    fi
    mkdir -p "$dir"
    chmod 755 "$dir"
    printf '%s\n' "$dir"
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
    if [ $# -gt 0 ]; then
        cmake --build "$build" -j"$(nproc)" --target "$@"
    else
        cmake --build "$build" -j"$(nproc)"
    fi
}

# Creates the prefix once, owned by whoever runs the Wine programs.
make_prefix() {   # prefix folder
    local prefix="$1"
    if [ ! -f "$prefix/system.reg" ]; then
        echo "creating the Wine prefix (first run only)…"
        mkdir -p "$prefix"
        [ "$(id -u)" = 0 ] && chown nobody:nogroup "$prefix" "$(dirname "$prefix")"
        TURNIX_WINEPREFIX="$prefix" "$REPO/tools/wine-run.sh" wineboot -i >/dev/null 2>&1 || true
        TURNIX_WINEPREFIX="$prefix" as_wine_user wineserver -w
        [ -f "$prefix/system.reg" ] || { echo "could not create the Wine prefix $prefix" >&2; return 1; }
    fi
    # Wine does not find its own font folder here, so dialogs would fall back to a wider
    # font than "MS Sans Serif" and clip their texts; the prefix's Fonts folder is always searched.
    local fonts="$prefix/drive_c/windows/Fonts"
    if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/sserife.fon" ]; then
        TURNIX_WINEPREFIX="$prefix" as_wine_user cp -n /usr/share/wine/fonts/* "$fonts/"
    fi
}

# Every Wine process that the tools and the suite start, and whatever must act on the prefix
# as Wine's user, runs through wine_user_run: as root, as the user "nobody".
wine_user_command() {   # sets wine_user_run
    # LANG sets Wine's ANSI code page: C.UTF-8 gives 1252 unless TURNIX_WINE_LANG names another locale.
    export WINEPREFIX="$TURNIX_WINEPREFIX" WINEDEBUG="${WINEDEBUG:--all}" LANG="${TURNIX_WINE_LANG:-C.UTF-8}"
    # Debian 13's Wine 10 crashes at start whenever TMPDIR is set. Windows programs never see
    # it anyway: Wine gives them the prefix's own temporary folder.
    wine_user_run=(env -u TMPDIR)
    if [ "$(id -u)" = 0 ]; then
        wine_user_run=(setpriv --reuid=nobody --regid=nogroup --clear-groups -- env -u TMPDIR
                       HOME="$(dirname "$WINEPREFIX")" USER=nobody LOGNAME=nobody)
    fi
}

as_wine_user() {
    wine_user_command
    "${wine_user_run[@]}" "$@"
}
