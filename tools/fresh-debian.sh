#!/bin/bash
# Runs the README's two commands as a newcomer would, in a fresh clone inside a fresh minimal
# Debian system, and prints how each ended. For maintainers; not part of the suite. Needs root,
# and the network to this machine's own Debian mirror.
#
#   bash tools/fresh-debian.sh [options] 12|13
#
#   --rev REV         which commit, branch or tag (default: HEAD; uncommitted changes are not cloned)
#   --keep            keep the system afterwards (default: remove it and keep only the logs)
#   --no-i386         treat the system as one without 32-bit emulation (TURNIX_NO_I386=1 for both
#                     commands); the qemu entry that the set-up then registers with the kernel
#                     stays where the host shares its binfmt_misc entries with the system
#   --env NAME=VALUE  one more variable in both commands' environment (TMPDIR=/tmp, say, as
#                     some users' shells set it); may be given more than once
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/apt-sources.sh"
source "$(dirname "$0")/apt-install.sh"

die() { echo "fresh-debian.sh: $*" >&2; exit 1; }
usage() { echo usage: >&2; sed -n '6,14s/^# \{0,1\}//p' "$0" >&2; exit 2; }

repo="$(cd "$(dirname "$0")/.." && pwd)"
rev=HEAD keep='' no_i386='' release='' clone_dir=/root/turnix
extra_env=()
while [ $# -gt 0 ]; do
    case "$1" in
        --rev) [ $# -ge 2 ] || usage; rev="$2"; shift ;;
        --env) [[ ${2:-} == [A-Za-z_]*=* ]] || usage; extra_env+=("$2"); shift ;;
        --keep) keep=1 ;;
        --no-i386) no_i386=1 ;;
        12 | bookworm) release=bookworm ;;
        13 | trixie) release=trixie ;;
        *) usage ;;
    esac
    shift
done
[ -n "$release" ] || usage
[ "$(id -u)" = 0 ] || die "run as root: debootstrap, chroot and mount need it"
commit="$(git -C "$repo" rev-parse --verify -q "$rev^{commit}")" || die "$repo has no commit $rev"
[ "$rev" != HEAD ] || [ -z "$(git -C "$repo" status --porcelain)" ] ||
    echo "note: $repo has uncommitted changes; they are not in the clone"

host_release="$(code_name "")"
mirror="$(apt_source_of "" "$host_release")"
[ -n "$mirror" ] || die "no source of this machine's own release (${host_release:-unknown}) in" \
    "/etc/apt/sources.list or /etc/apt/sources.list.d"
# debootstrap appends "/dists/…" to it.
mirror="${mirror%/}"
security_mirror="$(apt_source_of "" "$host_release-security")"
dir="/var/tmp/turnix-fresh-$release-$(date +%Y%m%d-%H%M%S)"
root="$dir/root"
mkdir "$dir"

# Each long step runs in a process group of its own, which this script waits for, so that
# Ctrl-C or a kill reaches this script's traps at once; and in PID and mount namespaces of its
# own, so that whatever way it ends, no process it started stays and nothing it mounted does.
child=''
step() {   # log, then the command
    local log="$1" rc=0
    shift
    setsid unshare --mount --pid --fork --kill-child "$@" </dev/null >"$log" 2>&1 & child=$!
    wait "$child" || rc=$?
    child=''
    return "$rc"
}
cleanup() {
    local rc=$? _
    set +e
    if [ -n "$child" ]; then
        # The first process of a PID namespace takes no other signal from outside.
        kill -KILL -- "-$child" 2>/dev/null
        for _ in $(seq 1 10); do kill -0 -- "-$child" 2>/dev/null || break; sleep 0.5; done
    fi
    [ -d "$root" ] || return "$rc"
    if [ -n "$keep" ]; then
        echo "the system is kept in $root (logs beside it in $dir)"
    else
        # Its mounts were the steps' own; --one-file-system guards against any other.
        rm -rf --one-file-system "$root"
        echo "the system was removed; its logs are in $dir"
    fi
    return "$rc"
}
trap cleanup EXIT
trap 'echo "fresh-debian.sh: interrupted" >&2; exit 130' INT
trap 'echo "fresh-debian.sh: ended by a signal" >&2; exit 143' TERM HUP

# ---- The system ----

if ! command -v debootstrap >/dev/null 2>&1 && [ ! -x /usr/sbin/debootstrap ]; then
    echo "installing debootstrap on this machine…"
    apt_log="$dir/apt.log" apt_release="$host_release"
    apt_options=(-o DPkg::Lock::Timeout=600)
    apt_install debootstrap || { tail -n 20 "$apt_log" >&2; die "could not install debootstrap"; }
fi

echo "Debian $release from $mirror into $root…"
start=$SECONDS
# apt verifies an https mirror only with the certificates, which minbase lacks.
certificates=''
[[ $mirror != https:* ]] || certificates=--include=ca-certificates
if ! PATH="/usr/sbin:/sbin:$PATH" step "$dir/debootstrap.log" debootstrap --variant=minbase \
        $certificates "$release" "$root" "$mirror"; then
    tail -n 20 "$dir/debootstrap.log" >&2
    [ ! -f "$root/debootstrap/debootstrap.log" ] || tail -n 20 "$root/debootstrap/debootstrap.log" >&2
    die "debootstrap failed (log: $dir/debootstrap.log)"
fi
debootstrap_time=$((SECONDS - start))

# The sources of a stock Debian image: one deb822 file, no sources.list.
keyring=/usr/share/keyrings/debian-archive-keyring.pgp
[ -f "$root$keyring" ] || keyring=/usr/share/keyrings/debian-archive-keyring.gpg
rm -f "$root/etc/apt/sources.list"
stanza() { printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' "$1" "$2" "$keyring"; }
{
    stanza "$mirror" "$release $release-updates"
    [ -z "$security_mirror" ] || { echo; stanza "$security_mirror" "$release-security"; }
} >"$root/etc/apt/sources.list.d/debian.sources"
[ -n "$security_mirror" ] || echo "note: this machine has no security source, so the system has none"
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

# The clone: made from this machine, as the system has no git.
git clone -q --no-hardlinks --no-checkout "$repo" "$root$clone_dir"
git -C "$root$clone_dir" checkout -q --detach "$commit"
described="$(git -C "$repo" log -1 --format='%h %s' "$commit")"

# ---- The two commands, as root in a fresh login's environment, without a display ----

# Mounted in the step's own namespace: what apt, Wine and Xvfb need. The system's own /tmp is
# fresh already.
run_in_system() {   # log, then the command
    local log="$1"; shift
    step "$log" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root USER=root LOGNAME=root TERM="${TERM:-dumb}" ${no_i386:+TURNIX_NO_I386=1} \
        ${extra_env[@]+"${extra_env[@]}"} bash -c 'root="$1" clone="$2" && shift 2 &&
            mount -t proc proc "$root/proc" && mount --bind /sys "$root/sys" &&
            mount --bind /dev "$root/dev" && mount --bind /dev/pts "$root/dev/pts" &&
            mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$root/dev/shm" &&
            exec chroot "$root" /bin/bash -c '\''cd "$1" && shift && exec "$@"'\'' _ "$clone" "$@"' \
        _ "$root" "$clone_dir" "$@"
}
declare -A status secs
for cmd in run test; do
    echo "bash tools/$cmd.sh… (log: $dir/$cmd.log)"
    start=$SECONDS
    rc=0
    run_in_system "$dir/$cmd.log" bash "tools/$cmd.sh" || rc=$?
    status[$cmd]=$rc
    secs[$cmd]=$((SECONDS - start))
done

# The build folder is under the clone, or where test.sh's "program: …" line says.
build="$(sed -n 's/^program: \(.*\)\/VLC Turnix extension\.exe$/\1/p' "$dir/test.log" | tail -n 1)"
cp "$root${build:-$clone_dir/build}/Testing/Temporary/LastTest.log" "$dir/ctest.log" 2>/dev/null ||
    : >"$dir/ctest.log"

# ---- The outcome ----

# CTest's summary in the suite's log, and each test that failed or did not run, with the last
# lines of its output in CTest's own log; nothing where CTest did not finish.
ctest_outcome() {
    awk 'FILENAME != file { file = FILENAME; second = seen++ }
         !second && /^[0-9]+% tests passed/ { print "  " $0 }
         !second && /^The following tests (FAILED|did not run):/ { listing = 1; next }
         !second && listing && sub(/^[ \t]+[0-9]+ - /, "") { order[++n] = $1; text[$1] = $0; next }
         !second { listing = 0 }
         second && /^[0-9]+\/[0-9]+ Test: / { t = $3 }
         second && /^<end of output>/ { inside = 0 }
         second && inside && (t in text) { out[t, ++lines[t]] = $0 }
         second && /^Output:/ { inside = 1; getline }
         END { for (i = 1; i <= n; i++) {
                   t = order[i]; print "  " text[t]
                   for (j = (lines[t] > 5 ? lines[t] - 4 : 1); j <= lines[t]; j++) print "      " out[t, j] } }' \
        "$dir/test.log" "$dir/ctest.log"
}
duration() {   # seconds
    if [ "$1" -ge 60 ]; then echo "$(($1 / 60)) min $(($1 % 60)) s"; else echo "$1 s"; fi
}
emulation="as on this machine"
[ -z "$no_i386" ] || emulation="treated as not running (TURNIX_NO_I386=1)"
{
    echo
    echo "== Debian $release: $described (clone: $clone_dir; 32-bit programs: $emulation${extra_env[0]+; with ${extra_env[*]}})"
    echo "debootstrap: $(duration "$debootstrap_time")"
    for cmd in run test; do
        echo "bash tools/$cmd.sh: exit status ${status[$cmd]} after $(duration "${secs[$cmd]}") (log: $dir/$cmd.log)"
        closing=''
        [ "$cmd" = run ] || closing="$(ctest_outcome)"
        if [ -n "$closing" ]; then echo "$closing"; else tail -n 10 "$dir/$cmd.log" | sed 's/^/  /'; fi
    done
} | tee "$dir/summary.txt"

if [ "${status[run]}" = 0 ] && [ "${status[test]}" = 0 ]; then exit 0; else exit 1; fi
