#!/bin/bash
# Builds everything and runs the whole test suite under Wine and Xvfb.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/common.sh"
bash "$REPO/tools/setup.sh" test

BUILD="$(pick_build_dir)"
configure_and_build "$BUILD" ${TURNIX_TARGETS:-}
say_where_the_program_is "$BUILD"

export TURNIX_WINEPREFIX="$BUILD/wine-test/prefix"
make_prefix "$TURNIX_WINEPREFIX"

# One X server and one persistent wineserver for the whole run: each Wine
# process then starts in a fraction of a second.
xvfb-run -a -s "-screen 0 1280x800x24 -ac" bash -c '
    source "$1/tools/common.sh"
    as_wine_user wineserver -p
    # Start the prefix services and desktop now, detached from the output that
    # CTest collects: a test would otherwise leave them holding its pipe open.
    "$1/tools/wine-run.sh" wineboot </dev/null >/dev/null 2>&1
    # A narrowed run that matches no test fails rather than passing on nothing.
    cd "$2" && ctest --output-on-failure --no-tests=error ${TURNIX_CTEST_ARGS:-}; rc=$?
    as_wine_user wineserver -k >/dev/null 2>&1 || true
    exit $rc' _ "$REPO" "$BUILD"
