#!/bin/bash
# The set-up's decisions for machines other than this one: each fixture apt configuration is
# planned (TURNIX_SETUP_PLAN) as a machine that runs no 32-bit programs and has none of the
# tools yet, and must give exactly the expected plan or message. Then the set-up's apt step
# against a mirror in mid-sync, and the scripts' failure handler: one line naming the failed
# command, at the script's top level, with its log's tail.
# Usage: check_setup.sh <source folder>
set -euo pipefail
source_dir="$1"
work="$(mktemp -d "${TMPDIR:-/tmp}/turnix-setup-check.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0

# A fixture machine under $work/<name>: an os-release with the code name, and files given
# as path, content pairs.
machine() {   # name, code name, then path, content, ...
    local root="$work/$1"
    mkdir -p "$root/etc"
    printf 'ID=debian\nVERSION_CODENAME=%s\n' "$2" >"$root/etc/os-release"
    shift 2
    while [ $# -gt 0 ]; do
        mkdir -p "$(dirname "$root/$1")"
        printf '%s\n' "$2" >"$root/$1"
        shift 2
    done
}

expect() {   # what, exit status, output wanted, then the command
    local what="$1" status_wanted="$2" wanted="$3" output status=0
    shift 3
    output="$("$@" 2>&1)" || status=$?
    echo "--- $what (exit status $status):"
    sed 's/^/    /' <<<"$output"
    if [ "$status" != "$status_wanted" ] || [ "$output" != "$wanted" ]; then
        echo "FAILED: expected exit status $status_wanted and:"
        sed 's/^/    /' <<<"$wanted"
        failures=$((failures + 1))
    fi
}

plan() {   # machine name
    env -u TURNIX_WINE_LANG TURNIX_SETUP_PLAN=1 TURNIX_SETUP_ROOT="$work/$1" TURNIX_NO_I386=1 \
        bash "$source_dir/tools/setup.sh" run
}

# What a machine without any of the tools gets before the qemu step, whatever its sources.
tools="add the i386 architecture
install build packages: g++-mingw-w64-i686-posix binutils-mingw-w64-i686 cmake make python3 xvfb xdotool x11-utils imagemagick fonts-wine wine wine32:i386 wine64"
qemu_backports="install qemu's user mode for Wine's 32-bit loader: -t bookworm-backports qemu-user
register qemu-i386 for 32-bit programs (binfmt_misc)"
no_source="setup: no Debian bookworm source found in /etc/apt/sources.list or /etc/apt/sources.list.d; add your mirror's bookworm-backports suite (a line 'deb <mirror> bookworm-backports main' in /etc/apt/sources.list.d/bookworm-backports.list) and run this again"
writes="write to /etc/apt/sources.list.d/bookworm-backports.list: deb"

stanza() {   # URIs, Suites, then more fields
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\n' "$1" "$2"
    shift 2
    printf '%s\n' "$@" "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg"
}
stock="$(stanza http://mirror.example/debian "bookworm bookworm-updates")

$(stanza http://mirror.example/debian-security bookworm-security)"

machine stock bookworm etc/apt/sources.list.d/debian.sources "$stock"
expect "Debian 12 image: deb822 only" 0 "$tools
$writes http://mirror.example/debian bookworm-backports main
$qemu_backports" plan stock

machine one-line bookworm etc/apt/sources.list "# the mirror
deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://one-line.example/debian bookworm main contrib
deb http://security.example/debian-security bookworm-security main"
expect "one-line sources.list with options" 0 "$tools
$writes http://one-line.example/debian bookworm-backports main
$qemu_backports" plan one-line

machine both bookworm etc/apt/sources.list "deb-src http://source.example/debian bookworm main
deb http://list.example/debian bookworm main" etc/apt/sources.list.d/debian.sources "$stock"
expect "both kinds: sources.list comes first" 0 "$tools
$writes http://list.example/debian bookworm-backports main
$qemu_backports" plan both

machine disabled bookworm etc/apt/sources.list.d/debian.sources "# switched off
$(stanza http://disabled.example/debian bookworm "Enabled: no")

$stock"
expect "a disabled deb822 stanza before a live one" 0 "$tools
$writes http://mirror.example/debian bookworm-backports main
$qemu_backports" plan disabled

machine backports bookworm etc/apt/sources.list.d/debian.sources \
    "$(stanza http://mirror.example/debian "bookworm bookworm-updates bookworm-backports")"
expect "backports already configured" 0 "$tools
use the configured source: deb http://mirror.example/debian bookworm-backports
$qemu_backports" plan backports

machine security bookworm etc/apt/sources.list.d/debian.sources \
    "$(stanza http://mirror.example/debian-security bookworm-security)"
expect "only a security source" 1 "$tools
$no_source" plan security

machine empty bookworm
expect "nothing under /etc/apt" 1 "$tools
$no_source" plan empty

machine trixie trixie etc/apt/sources.list.d/debian.sources \
    "$(stanza http://mirror.example/debian "trixie trixie-updates")"
expect "Debian 13: its own qemu" 0 "$tools
install qemu's user mode for Wine's 32-bit loader: qemu-user
register qemu-i386 for 32-bit programs (binfmt_misc)" plan trixie

# ---- apt and a mirror in mid-sync ----
# A package repository of its own, in a folder: the suite "fixture" and its "fixture-security",
# which has newer versions and serves its i386 index at a hash its Release file does not list.
# apt is pointed at it through its own Dir options, on a machine that added i386 after its
# last good update, as Debian machines do for Wine: the set-up's apt step must go on past the
# update, name that index, and install from the suite that was read whole.
repo="$work/repo"
package() {   # suite, name, version, architecture, then control lines
    local dir="$work/debs/$1-$2-$4"
    mkdir -p "$dir/DEBIAN" "$repo/pool/$1"
    printf '%s\n' "Package: $2" "Version: $3" "Architecture: $4" "Maintainer: nobody <nobody@example.org>" \
        "Description: a fixture" "${@:5}" >"$dir/DEBIAN/control"
    dpkg-deb --build -Zgzip "$dir" "$repo/pool/$1/${2}_${3}_$4.deb" >/dev/null
}
package fixture libdemo 1.0 amd64 "Multi-Arch: same"
package fixture libdemo 1.0 i386 "Multi-Arch: same"
package fixture tool 1.0 amd64 "Depends: libdemo"
package fixture tool32 1.0 i386 "Depends: libdemo"
package fixture-security libdemo 1.1 amd64 "Multi-Arch: same"
package fixture-security libdemo 1.1 i386 "Multi-Arch: same"
package fixture-security tool 1.1 amd64 "Depends: libdemo (>= 1.1)"
for suite in fixture fixture-security; do
    for arch in amd64 i386; do
        mkdir -p "$repo/dists/$suite/main/binary-$arch"
        (cd "$repo" && apt-ftparchive -o APT::FTPArchive::Architecture="$arch" packages "pool/$suite") \
            >"$repo/dists/$suite/main/binary-$arch/Packages"
    done
    apt-ftparchive -o APT::FTPArchive::Release::Suite="$suite" release "$repo/dists/$suite" >"$work/Release"
    mv "$work/Release" "$repo/dists/$suite/Release"
done
echo "Package: synced-after-the-release-file" >>"$repo/dists/fixture-security/main/binary-i386/Packages"

# apt's state under $work/<name>, updated once for amd64 alone; then i386 is added.
apt_machine() {   # name, then source lines
    local root="$work/$1"
    mkdir -p "$root/lists/partial" "$root/cache/archives/partial" "$root/parts"
    : >"$root/status"
    printf '%s\n' "${@:2}" >"$root/sources.list"
    cat >"$root/apt.conf" <<CONF
Dir::State "$root"; Dir::State::lists "$root/lists"; Dir::State::status "$root/status";
Dir::Cache "$root/cache"; Dir::Etc::main "$root/none"; Dir::Etc::Parts "$root/parts";
Dir::Etc::SourceList "$root/sources.list"; Dir::Etc::SourceParts "$root/parts";
Dir::Etc::Preferences "$root/none"; Dir::Etc::PreferencesParts "$root/parts";
APT::Architecture "amd64"; APT::Architectures { "amd64"; };
APT::Sandbox::User "root"; Debug::NoLocking "true";
CONF
    APT_CONFIG="$root/apt.conf" apt-get update >"$root/first-update.log" 2>&1 || true
    echo 'APT::Architectures:: "i386";' >>"$root/apt.conf"
}
# The set-up's step as setup.sh runs it, then what the simulated install would install.
cat >"$work/apt-step.sh" <<'SCRIPT'
set -euo pipefail
source "$1/tools/failure.sh"
source "$1/tools/apt-install.sh"
export APT_CONFIG="$2/apt.conf"
apt_log="$2/apt.log" apt_who=setup apt_release=fixture
apt_install -s tool tool32:i386
sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) \([^ ]*\) .*/\1 \2 \3/p' "$apt_log" | sort
SCRIPT
apt_step() { bash "$work/apt-step.sh" "$source_dir" "$work/$1"; }
from_fixture="libdemo 1.0 fixture
libdemo:i386 1.0 fixture
tool 1.0 fixture
tool32:i386 1.0 fixture"
unread="setup: apt could not read fixture-security/main i386 Packages; the mirror looks to be in mid-sync; going on with the indexes it read
setup: without fixture-security/main i386 Packages the install could not be resolved; trying once more with fixture's own suite preferred (-t fixture)"

apt_machine whole "deb [trusted=yes] file:$repo fixture main"
expect "apt: every index read" 0 "$from_fixture" apt_step whole

apt_machine mid-sync "deb [trusted=yes] file:$repo fixture main" "deb [trusted=yes] file:$repo fixture-security main"
expect "apt: a mirror in mid-sync" 0 "$unread
$from_fixture" apt_step mid-sync

apt_machine security-only "deb [trusted=yes] file:$repo fixture-security main"
expect "apt: a mirror in mid-sync, and no suite read whole" 100 "$unread
setup: could not install -s tool tool32:i386: apt could not read fixture-security/main i386 Packages; the mirror looks to be in mid-sync; run this again later, or point apt's sources (/etc/apt/sources.list.d) at another Debian mirror
apt-step.sh: line 6 failed (exit status 100): apt_install -s tool tool32:i386" apt_step security-only

apt_machine unreachable "deb [trusted=yes] file:$work/no-repository fixture main"
expect "apt: no index read at all" 100 "setup: apt-get update read no package index: check the network and apt's sources (/etc/apt/sources.list, /etc/apt/sources.list.d)
apt-step.sh: line 6 failed (exit status 100): apt_install -s tool tool32:i386" apt_step unreachable

# ---- The failure handler ----
# Expected failures pass; a failure inside a function whose output goes to a log is reported
# on the script's own stderr, not in that log, and ends the script with the command's status.
cat >"$work/provoke.sh" <<'SCRIPT'
set -euo pipefail
source "$1/tools/failure.sh"
quiet() { grep -q never /dev/null; }
if quiet; then :; fi; quiet || true; ! quiet; [ -z "$(quiet)" ]
build() { echo "compiling"; echo "error: expected ';'" >&2; false; echo "not reached"; }
FAILURE_LOG="$2/build.log"
build >"$FAILURE_LOG" 2>&1
echo "not reached either"
SCRIPT
expect "the handler, for a failure inside a logged function" 1 "provoke.sh: line 5 failed (exit status 1): false
the last lines of $work/build.log:
compiling
error: expected ';'" bash "$work/provoke.sh" "$source_dir" "$work"

# ...and a script of tools/ has it: setup.sh cannot make its log in a missing folder.
output="$(TMPDIR="$work/missing" bash "$source_dir/tools/setup.sh" build 2>&1)" && status=0 || status=$?
echo "--- setup.sh without its temporary folder (exit status $status):"
sed 's/^/    /' <<<"$output"
if [ "$status" = 0 ] || ! grep -qE '^setup\.sh: line [0-9]+ failed \(exit status 1\): LOG="\$\(mktemp ' <<<"$output"; then
    echo "FAILED: expected the handler's line naming the mktemp command"
    failures=$((failures + 1))
fi

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
echo "ok: every plan and the handler's line as expected"
