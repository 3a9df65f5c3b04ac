# Sourced by the scripts in tools/ (and .ci/run) right after "set -euo pipefail": a command
# that fails where the script does not expect it ends the script with one line naming the
# script, the file and line, the command and its exit status, followed by the last lines of
# the log that the script was keeping in FAILURE_LOG, if any. Failures that a script expects
# (under if, while, ||, && or !, or with set +e) pass as before.
set -E
FAILURE_LOG=
failure_where=

# Runs where the command failed. Inside a function it only notes the place and makes the
# function return, so that the failure climbs back to the script's top level, undoing on its
# way the redirections of the calls (a build's output goes to a log, and this line must not).
# A subshell leaves the report to the command that started it.
turnix_failed() {   # status, statuses of the pipe, file, line, command
    [[ $- == *e* ]] && [ "$BASH_SUBSHELL" = 0 ] || return 0
    if [ -z "$failure_where" ]; then
        local command="${5%%$'\n'*}"
        [ "$command" = "$5" ] || command+=" …"
        # The command of a pipe is its last one, and that of a function's failure its
        # "return": the line itself tells more.
        if { [[ $2 == *" "* ]] || [[ $5 == return || $5 == "return "* ]]; } && [ -r "$3" ]; then
            command="$(sed -n "$4{s/^[[:space:]]*//;p;q}" "$3")"
        fi
        failure_where="line $4"
        [ "${3##*/}" = "${0##*/}" ] || failure_where+=" of ${3##*/}"
        failure_where+=" failed (exit status ${2// /|}): $command"
    fi
    [ "${FUNCNAME[1]:-main}" = main ] || return "$1"
    echo "${0##*/}: $failure_where" >&2
    if [ -s "$FAILURE_LOG" ]; then
        echo "the last lines of $FAILURE_LOG:" >&2
        tail -n 40 "$FAILURE_LOG" >&2
    fi
    exit "$1"
}
trap 'turnix_failed "$?" "${PIPESTATUS[*]}" "${BASH_SOURCE[0]:-$0}" "$LINENO" "$BASH_COMMAND" || return' ERR
