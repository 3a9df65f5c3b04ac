# Sourced by setup.sh and fresh-debian.sh: the machine's release and package sources.

# The release's code name (bookworm, trixie) of the machine whose root folder is given.
code_name() {   # root folder
    local file
    for file in "$1/etc/os-release" "$1/usr/lib/os-release"; do
        [ ! -f "$file" ] || { sed -n 's/^VERSION_CODENAME=//p' "$file" | tr -d "\"'"; return; }
    done
}

# The enabled package sources of the machine whose root folder is given ("" for this one), a
# line "<uri> <suite>" each, in apt's order: sources.list, then sources.list.d's one-line (.list)
# and deb822 (.sources) files by name. A missing file is no error.
apt_sources() {   # root folder
    local file
    for file in "${1:-}/etc/apt/sources.list" "${1:-}"/etc/apt/sources.list.d/*; do
        [ -f "$file" ] || continue
        case "$file" in
            *.list)    sed -E 's/#.*//; s/\[[^]]*\]//' "$file" | awk '$1 == "deb" { print $2, $3 }' ;;
            *.sources) awk '
                function flush(  u, s) {
                    if (deb && enabled) for (u = 1; u <= uris; u++) for (s = 1; s <= suites; s++) print uri[u], suite[s]
                    deb = 0; enabled = 1; uris = 0; suites = 0
                }
                BEGIN { enabled = 1 }
                /^#/ { next }
                /^[ \t]*$/ { flush(); next }
                /^[^ \t]/ { field = tolower($1); first = 2 }
                /^[ \t]/ { first = 1 }
                {
                    for (i = first; i <= NF; i++)
                        if (field == "types:" && $i == "deb") deb = 1
                        else if (field == "uris:") uri[++uris] = $i
                        else if (field == "suites:") suite[++suites] = $i
                        else if (field == "enabled:") enabled = tolower($i) != "no"
                }
                END { flush() }' "$file" ;;
        esac
    done
}

# The first enabled source of the given suite, as apt lists it; nothing where there is none.
# awk reads all of its input: an early exit would fail the pipe under pipefail.
apt_source_of() {   # root folder, suite
    apt_sources "$1" | awk -v s="$2" '$2 == s && !found { print $1; found = 1 }'
}
