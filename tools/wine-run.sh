#!/bin/bash
# Runs one Windows program under Wine in the test prefix (CTest's emulator).
# As root, the program runs as "nobody": Wine lets root write read-only files,
# which would hide every read-only case from the tests.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
: "${TURNIX_WINEPREFIX:?set by tools/test.sh or tools/run.sh}"
source "$(dirname "$0")/common.sh"

export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine_user_command
exec "${wine_user_run[@]}" wine "$@"
