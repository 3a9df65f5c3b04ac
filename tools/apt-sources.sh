# Sourced by setup.sh and fresh-debian.sh: the package sources as apt reads them.

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
