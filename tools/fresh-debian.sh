#!/bin/bash
# Runs the README's two commands as a newcomer would: in a fresh clone, inside a fresh minimal
# Debian system (debootstrap's minbase, with the sources a stock Debian image has), as root and
# without a display; then prints each command's exit status, duration and last lines.
# For maintainers; not part of the suite. Needs root, and the network to the Debian mirror.
#
#   bash tools/fresh-debian.sh [options] 12|13
#
#   --repo PATH|URL   what to clone (default: the repository this script lies in)
#   --rev REV         which commit, branch or tag (default: HEAD; uncommitted changes are not cloned)
#   --dir DIR         the system's folder (default: /var/tmp/turnix-fresh-<release>-<time>); it
#                     holds the system (root/) and the logs
#   --clone-dir PATH  the clone's path inside the system (default: /root/turnix, a private home
#                     that Wine's user "nobody" cannot reach; /srv/turnix is one it can)
#   --keep            keep the system afterwards (default: remove it and keep only the logs)
#   --no-i386         treat the system as one without 32-bit emulation (TURNIX_NO_I386=1 for both
#                     commands). The set-up then registers qemu for 32-bit programs with the
#                     kernel, which is the host's: where the host shares its binfmt_misc
#                     entries with the system, that stays after this script ends.
#   --mirror URL, --security-mirror URL
#                     instead of those of this machine's own apt sources
#   --env NAME=VALUE  one more variable in both commands' environment (TMPDIR=/tmp, say, as
#                     some users' shells set it); may be given more than once
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/failure.sh"
source "$(dirname "${BASH_SOURCE[0]}")/apt-sources.sh"
source "$(dirname "${BASH_SOURCE[0]}")/apt-install.sh"

die() { echo "fresh-debian.sh: $*" >&2; exit 1; }
usage() { echo usage: >&2; sed -n '7,23s/^# \{0,1\}//p' "$0" >&2; exit 2; }

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rev=HEAD dir='' clone_dir=/root/turnix keep='' no_i386='' mirror='' security_mirror='' release=''
extra_env=()
while [ $# -gt 0 ]; do
    case "$1" in
        --repo | --rev | --dir | --clone-dir | --mirror | --security-mirror | --env)
            [ $# -ge 2 ] || usage
            case "$1" in
                --repo) repo="$2" ;;
                --rev) rev="$2" ;;
                --dir) dir="$2" ;;
                --clone-dir) clone_dir="$2" ;;
                --mirror) mirror="$2" ;;
                --security-mirror) security_mirror="$2" ;;
                --env) [[ $2 == [A-Za-z_]*=* ]] || usage; extra_env+=("$2") ;;
            esac
            shift 2 ;;
        --keep) keep=1; shift ;;
        --no-i386) no_i386=1; shift ;;
        12 | bookworm) release=bookworm; shift ;;
        13 | trixie) release=trixie; shift ;;
        *) usage ;;
    esac
done
[ -n "$release" ] || usage
[ "$(id -u)" = 0 ] || die "run as root: debootstrap, chroot and mount need it"
case "$clone_dir" in /*) ;; *) die "--clone-dir must be an absolute path inside the system" ;; esac

dir="$(realpath -m "${dir:-/var/tmp/turnix-fresh-$release-$(date +%Y%m%d-%H%M%S)}")"
# Mount points are matched by path in /proc/self/mountinfo, which escapes these characters.
case "$dir$clone_dir" in *[[:space:]\\]*) die "no spaces or backslashes in --dir or --clone-dir, please" ;; esac
[ "$dir" != / ] || die "--dir / would be the host itself"
if [ -e "$dir" ] && [ -n "$(ls -A "$dir")" ]; then die "$dir exists and is not empty"; fi
root="$dir/root"

# A local repository's commit is known now, before minutes of debootstrap; a URL's after cloning.
commit=''
if git -C "$repo" rev-parse --git-dir >/dev/null 2>&1; then
    commit="$(git -C "$repo" rev-parse --verify -q "$rev^{commit}")" || die "$repo has no commit $rev"
    [ "$rev" != HEAD ] || [ -z "$(git -C "$repo" status --porcelain)" ] ||
        echo "note: $repo has uncommitted changes; they are not in the clone"
fi

# ---- The mirror: from this machine's own apt sources ----

# The first source of the given suite, without a trailing slash. Reads all its input: an early
# exit would fail the pipeline above it under pipefail.
first_uri_of() {   # suite
    awk -v s="$1" '$2 == s && !found { sub(/\/+$/, "", $1); print $1; found = 1 }'
}

host_release="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
if [ -z "$mirror" ]; then
    mirror="$(apt_sources | first_uri_of "$host_release")"
    [ -n "$mirror" ] || die "no source of this machine's own release (${host_release:-unknown}) in" \
        "/etc/apt/sources.list or /etc/apt/sources.list.d; name a Debian mirror with --mirror URL"
fi
if [ -z "$security_mirror" ]; then
    security_mirror="$(apt_sources | first_uri_of "$host_release-security")"
fi

# ---- Cleaning up: on any exit, Ctrl-C included ----

# Processes whose root is the system: only ones that this script started there.
processes_inside() {
    local p
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" != "$root" ] || echo "${p#/proc/}"
    done
}
mounts_inside() {   # deepest first
    awk -v r="$root" '$5 == r || index($5, r "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
unmount_all() {
    local m _
    for _ in 1 2 3; do
        [ -n "$(mounts_inside)" ] || return 0
        while read -r m; do
            umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
        done < <(mounts_inside)
    done
    [ -z "$(mounts_inside)" ]
}
cleanup() {
    local rc=$? pids _
    trap - ERR
    set +e
    if [ -n "$child" ]; then
        kill -- "-$child" 2>/dev/null
        for _ in $(seq 1 10); do kill -0 -- "-$child" 2>/dev/null || break; sleep 0.5; done
    fi
    [ -d "$root" ] || return "$rc"
    pids="$(processes_inside)"
    if [ -n "$pids" ]; then
        kill $pids 2>/dev/null
        for _ in $(seq 1 10); do
            pids="$(processes_inside)"; [ -n "$pids" ] || break; sleep 0.5
        done
        [ -z "$pids" ] || kill -KILL $pids 2>/dev/null
        sleep 0.5
    fi
    if ! unmount_all; then
        echo "fresh-debian.sh: still mounted, so $root is left in place: $(mounts_inside | tr "\n" " ")" >&2
        return 1
    fi
    if [ -n "$keep" ]; then
        echo "the system is kept in $root (logs beside it in $dir)"
    else
        # Nothing is mounted any more; --one-file-system guards against what a command mounts later.
        rm -rf --one-file-system "$root"
        echo "the system was removed; its logs are in $dir"
    fi
    return "$rc"
}
# A long step runs in a process group of its own, and this script waits for it: so Ctrl-C or a
# kill reaches this script's traps at once, and the clean-up ends that whole group.
child=''
step() {   # log, then the command
    local log="$1" rc=0
    shift
    setsid "$@" </dev/null >"$log" 2>&1 & child=$!
    wait "$child" || rc=$?
    child=''
    return "$rc"
}
trap cleanup EXIT
trap 'echo "fresh-debian.sh: interrupted" >&2; exit 130' INT
trap 'echo "fresh-debian.sh: ended by a signal" >&2; exit 143' TERM HUP

# ---- The system ----

mkdir -p "$dir"
if ! command -v debootstrap >/dev/null 2>&1 && [ ! -x /usr/sbin/debootstrap ]; then
    echo "installing debootstrap on this machine…"
    apt_log="$dir/apt.log" apt_who=fresh-debian.sh apt_release="$host_release"
    apt_options=(-o DPkg::Lock::Timeout=600)
    apt_install debootstrap || { tail -n 20 "$apt_log" >&2; die "could not install debootstrap"; }
fi

seconds() { date +%s; }
duration() {   # seconds
    if [ "$1" -ge 60 ]; then echo "$(($1 / 60)) min $(($1 % 60)) s"; else echo "$1 s"; fi
}

echo "Debian $release from $mirror into $root…"
start=$(seconds)
extra=()
# apt verifies an https mirror only with the certificates, which minbase lacks.
case "$mirror" in https:*) extra+=(--include=ca-certificates) ;; esac
if ! PATH="/usr/sbin:/sbin:$PATH" step "$dir/debootstrap.log" debootstrap --variant=minbase \
        ${extra[@]+"${extra[@]}"} "$release" "$root" "$mirror"; then
    tail -n 20 "$dir/debootstrap.log" >&2
    [ ! -f "$root/debootstrap/debootstrap.log" ] || tail -n 20 "$root/debootstrap/debootstrap.log" >&2
    die "debootstrap failed (log: $dir/debootstrap.log)"
fi
debootstrap_time=$(($(seconds) - start))

# The sources of a stock Debian image: one deb822 file, no sources.list.
keyring=/usr/share/keyrings/debian-archive-keyring.pgp
[ -f "$root$keyring" ] || keyring=/usr/share/keyrings/debian-archive-keyring.gpg
rm -f "$root/etc/apt/sources.list"
{
    printf 'Types: deb\nURIs: %s\nSuites: %s %s-updates\nComponents: main\nSigned-By: %s\n' \
        "$mirror" "$release" "$release" "$keyring"
    [ -z "$security_mirror" ] ||
        printf '\nTypes: deb\nURIs: %s\nSuites: %s-security\nComponents: main\nSigned-By: %s\n' \
            "$security_mirror" "$release" "$keyring"
} >"$root/etc/apt/sources.list.d/debian.sources"
[ -n "$security_mirror" ] || echo "note: this machine has no security source, so the system has none"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

# What apt, Wine and Xvfb need. The system's own /tmp is fresh already.
mount -t proc proc "$root/proc"
mount --bind /sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$root/dev/shm"

# ---- The clone: made from this machine, as the system has no git ----

clone="$root$clone_dir"
mkdir -p "$(dirname "$clone")"
git clone -q --no-hardlinks --no-checkout "$repo" "$clone"
[ -n "$commit" ] || commit="$(git -C "$clone" rev-parse --verify "$rev^{commit}" 2>/dev/null ||
    git -C "$clone" rev-parse --verify "origin/$rev^{commit}")"
git -C "$clone" checkout -q --detach "$commit"
described="$(git -C "$clone" log -1 --format='%h %s')"

# ---- The two commands, as root in a fresh login's environment, without a display ----

run_in_system() {   # log, then the command
    local log="$1"; shift
    step "$log" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root USER=root LOGNAME=root TERM="${TERM:-dumb}" ${no_i386:+TURNIX_NO_I386=1} \
        ${extra_env[@]+"${extra_env[@]}"} \
        chroot "$root" /bin/bash -c 'cd "$1" && shift && exec "$@"' _ "$clone_dir" "$@"
}
declare -A status secs
for cmd in run test; do
    echo "bash tools/$cmd.sh… (log: $dir/$cmd.log)"
    start=$(seconds)
    rc=0
    run_in_system "$dir/$cmd.log" bash "tools/$cmd.sh" || rc=$?
    status[$cmd]=$rc
    secs[$cmd]=$(($(seconds) - start))
done

# The build folder is under the clone, or where test.sh's "program: …" line says.
build="$(sed -n 's/^program: \(.*\)\/VLC Turnix extension\.exe$/\1/p' "$dir/test.log" | tail -n 1)"
ctest_log="$root${build:-$clone_dir/build}/Testing/Temporary/LastTest.log"
[ ! -f "$ctest_log" ] || cp "$ctest_log" "$dir/ctest.log"

# CTest's closing lines: the summary, and the tests that failed or did not run, one a line.
ctest_summary() {   # log
    awk '/^[0-9]+% tests passed/ { print }
         /^The following tests (FAILED|did not run):/ { listing = 1; next }
         listing && /^[ \t]+[0-9]+ - / { print; next }
         { listing = 0 }' "$1"
}
# The last lines of one test's output in CTest's own log.
test_output_tail() {   # name, lines
    [ -f "$dir/ctest.log" ] || return 0
    awk -v t="$1" -v lines="$2" '
        /^[0-9]+\/[0-9]+ Test: / { name = $3 }
        name == t && /^<end of output>/ { inside = 0 }
        name == t && inside { line[++n] = $0 }
        name == t && /^Output:/ { inside = 1; getline }
        END { for (i = (n > lines ? n - lines + 1 : 1); i <= n; i++) print line[i] }' "$dir/ctest.log"
}

# ---- The outcome ----

emulation="as on this machine"
[ -z "$no_i386" ] || emulation="treated as not running (TURNIX_NO_I386=1)"
{
    echo
    echo "== Debian $release: $described (clone: $clone_dir; 32-bit programs: $emulation${extra_env[0]+; with ${extra_env[*]}})"
    echo "debootstrap: $(duration "$debootstrap_time")"
    for cmd in run test; do
        echo "bash tools/$cmd.sh: exit status ${status[$cmd]} after $(duration "${secs[$cmd]}")" \
             "(log: $dir/$cmd.log)"
        closing="$(ctest_summary "$dir/$cmd.log")"
        if [ "$cmd" = test ] && [ -n "$closing" ]; then
            while IFS= read -r line; do
                case "$line" in
                    [0-9]*%*) echo "  $line" ;;
                    *)  read -r _ _ name kind <<<"$line"
                        echo "  $name $kind"
                        test_output_tail "$name" 5 | sed 's/^/      /' ;;
                esac
            done <<<"$closing"
        else
            tail -n 10 "$dir/$cmd.log" | sed 's/^/  /'
        fi
    done
} | tee "$dir/summary.txt"

if [ "${status[run]}" = 0 ] && [ "${status[test]}" = 0 ]; then exit 0; else exit 1; fi
