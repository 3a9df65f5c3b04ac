#!/bin/bash
# Runs one Windows program under Wine in the test prefix (CTest's emulator).
# As root, the program runs as "nobody": Wine lets root write read-only files,
# which would hide every read-only case from the tests.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
: "${TURNIX_WINEPREFIX:?set by tools/test.sh or tools/run.sh}"

export WINEPREFIX="$TURNIX_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Wine takes the ANSI code page from LANG; a test may ask for another one.
export LANG="${TURNIX_WINE_LANG:-C.UTF-8}"
export HOME="$(dirname "$WINEPREFIX")"

if [ "$(id -u)" = 0 ]; then
    export USER=nobody LOGNAME=nobody
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups -- wine "$@"
fi
exec wine "$@"
