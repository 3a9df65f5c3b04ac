# Sourced by setup.sh and fresh-debian.sh: apt-get update and install that ride out a Debian
# mirror in mid-sync. Such a mirror serves some index at a size or hash that its Release file
# does not list, for hours; apt then ignores that index (or keeps its old copy) and fails.
# The set-up goes on with the indexes that were read, and where the install then cannot be
# resolved (one architecture knows newer versions than the other) it prefers the machine's own
# release, whose suite was read whole.
#
# Set by the caller: apt_log, the file that apt's output goes to; apt_who, the name that
# starts this file's lines; apt_release, the machine's code name (bookworm, trixie).
apt_log=/dev/null
apt_who="${0##*/}"
apt_release=
apt_options=()   # options for every apt-get call
apt_updated=     # empty: the next install updates the indexes first
apt_unread=      # the indexes that the last update could not read, "suite/component arch Packages" each
apt_why=         # "; the mirror looks to be in mid-sync" where apt's reasons are those of one

# Reads apt-get update's output and prints three lines: the indexes that it failed to read, for
# a message; "read" if it read any at all; apt_why. apt numbers each item and may report it more
# than once (Get, then Ign or Err): its last report is the one that counts.
apt_update_outcome() {
    awk '
        /^(Hit|Get|Ign|Err):[0-9]+ / {
            split($1, id, ":")
            item = id[2]
            last[item] = id[1]
            what = ""
            for (i = 3; i <= NF && $i !~ /^\[/; i++) what = what (what == "" ? "" : " ") $i
            name[item] = what
            if (!(item in order)) order[item] = ++items
            failing = id[1] == "Err"
            next
        }
        failing && /Mirror sync in progress|Hash Sum mismatch|unexpected size/ { syncing = 1 }
        !/^ / { failing = 0 }
        END {
            for (item in last) {
                if (last[item] == "Hit" || last[item] == "Get") read = 1
                if (last[item] == "Err") unread[order[item]] = name[item]
            }
            for (i = 1; i <= items; i++) if (i in unread) text = text (text == "" ? "" : ", ") unread[i]
            print text
            print (read ? "read" : "")
            print (syncing ? "; the mirror looks to be in mid-sync" : "")
        }'
}

apt_update() {
    local output status=0 read
    output="$(apt-get ${apt_options[@]+"${apt_options[@]}"} update 2>&1)" || status=$?
    printf '%s\n' "$output" >>"$apt_log"
    { IFS= read -r apt_unread; IFS= read -r read; IFS= read -r apt_why; } < <(apt_update_outcome <<<"$output")
    if [ -z "$read" ]; then
        echo "$apt_who: apt-get update read no package index: check the network and apt's sources" \
             "(/etc/apt/sources.list, /etc/apt/sources.list.d)" >&2
        return "$((status ? status : 1))"
    fi
    if [ -n "$apt_unread" ]; then
        echo "$apt_who: apt could not read $apt_unread$apt_why; going on with the indexes it read" >&2
        return 0
    fi
    return "$status"
}

# For a caller that changed apt's sources: the next install updates the indexes first.
apt_sources_changed() { apt_updated=; }

apt_get_install() {   # apt-get install's arguments
    DEBIAN_FRONTEND=noninteractive apt-get ${apt_options[@]+"${apt_options[@]}"} install -y \
        --no-install-recommends "$@" >>"$apt_log" 2>&1
}

apt_install() {   # apt-get install's arguments
    if [ -z "$apt_updated" ]; then
        apt_update || return
        apt_updated=1
    fi
    apt_get_install "$@" && return 0
    local status=$?
    [ -n "$apt_unread" ] || return "$status"
    # An install that chooses a suite itself has nothing else to prefer.
    if [ -n "$apt_release" ] && [[ " $* " != *" -t "* ]]; then
        echo "$apt_who: without $apt_unread the install could not be resolved; trying once more" \
             "with $apt_release's own suite preferred (-t $apt_release)" >&2
        apt_get_install -t "$apt_release" "$@" && return 0
        status=$?
    fi
    echo "$apt_who: could not install $*: apt could not read $apt_unread$apt_why;" \
         "run this again later, or point apt's sources (/etc/apt/sources.list.d) at another Debian mirror" >&2
    return "$status"
}
