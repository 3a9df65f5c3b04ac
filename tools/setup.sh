#!/bin/bash
# Installs what one command needs on a Debian 12 machine, and no more:
#   setup.sh build   the cross compiler, CMake and Python (tools/release.sh)
#   setup.sh sign    also osslsigncode and openssl (tools/release.sh with a certificate)
#   setup.sh run     building as for "build", with Wine, Xvfb and the screenshot tools (tools/run.sh)
#   setup.sh test    all of the above, and what the suite alone uses (tools/test.sh; the default)
# Safe to run again: every step checks first and only acts on what is missing. apt's own
# output goes to a log that is shown only when a step fails.
set -euo pipefail

purpose="${1:-test}"
case "$purpose" in build | sign | run | test) ;; *) echo "usage: setup.sh [build|sign|run|test]" >&2; exit 2 ;; esac

LOG="$(mktemp "${TMPDIR:-/tmp}/turnix-setup.XXXXXX")"
trap 'rm -f "$LOG"' EXIT

need_root() {
    if [ "$(id -u)" != 0 ]; then
        echo "setup: run as root (or through sudo) to install: $*" >&2
        exit 1
    fi
}
have() { command -v "$1" >/dev/null 2>&1; }

# Runs a command with its output in the log; returns its status.
logged() { "$@" >>"$LOG" 2>&1; }
fail_with_log() { echo "setup: $*" >&2; tail -n 40 "$LOG" >&2; exit 1; }
# The same, but a failure shows the log and ends the set-up.
quietly() { logged "$@" || fail_with_log "failed: $*"; }

apt_updated=
apt_install() {   # packages
    [ -n "$apt_updated" ] || { logged apt-get update && apt_updated=1; } || return 1
    logged env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$@"
}
install_or_fail() {   # what, then apt-get install's arguments
    local what="$1"; shift
    need_root "$@"
    echo "installing $what (first run only)…"
    apt_install "$@" || fail_with_log "could not install: $*"
}

# ---- Building: the cross compiler, CMake, and Python for the icon generator ----
missing=()
have i686-w64-mingw32-g++-posix || missing+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686)
have cmake                       || missing+=(cmake)
have python3                     || missing+=(python3)

# ---- Signing a release (and the suite's test of that) ----
signing_tools() {
    have osslsigncode            || missing+=(osslsigncode)
    have openssl                 || missing+=(openssl)
}
[ "$purpose" != sign ] || signing_tools

# ---- Running: Wine, a virtual screen and what the screenshot takes ----
if [ "$purpose" = run ] || [ "$purpose" = test ]; then
    have xvfb-run                || missing+=(xvfb xauth)
    have xdotool                 || missing+=(xdotool x11-utils)
    [ -x /usr/bin/import ]       || missing+=(imagemagick)
    # Wine's own fonts: without Marlett the caption buttons show as letters.
    dpkg -s fonts-wine >/dev/null 2>&1 || missing+=(fonts-wine)
    if ! { [ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wine64 ]; }; then
        missing+=(wine wine32:i386 wine64)
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            need_root "the i386 architecture for Wine"
            dpkg --add-architecture i386
        fi
    fi
fi
[ ${#missing[@]} -eq 0 ] || install_or_fail "build packages" "${missing[@]}"

# ---- Testing: interpreters, GoogleTest, the formatter ----
if [ "$purpose" = test ]; then
    missing=()
    have lua5.1                  || missing+=(lua5.1)
    have lua5.2                  || missing+=(lua5.2)
    have lua5.4                  || missing+=(lua5.4)
    have clang-format            || missing+=(clang-format)
    [ -d /usr/src/googletest ]   || missing+=(googletest)
    signing_tools
    [ ${#missing[@]} -eq 0 ] || install_or_fail "test packages" "${missing[@]}"
fi

# ---- Locales: Wine takes a process's ANSI code page from LANG ----
# ...and only from a locale that glibc has. The suite runs under zh_CN (936) and ja_JP (932)
# (tests/flow.cmake); TURNIX_WINE_LANG may name another for any command. Debian ships them
# all commented out.
wanted_locales=()
[ "$purpose" != test ] || wanted_locales+=("zh_CN.UTF-8" "ja_JP.UTF-8")
case "$purpose:${TURNIX_WINE_LANG:-}" in
    build:* | sign:* | *: | *:C | *:C.* | *:POSIX) ;;
    *.UTF-8 | *.utf8 | *.utf-8) wanted_locales+=("${TURNIX_WINE_LANG%.*}.UTF-8") ;;
    *) echo "setup: TURNIX_WINE_LANG=$TURNIX_WINE_LANG: only UTF-8 locales are generated here" >&2 ;;
esac
missing_locales=()
for name in ${wanted_locales[@]+"${wanted_locales[@]}"}; do
    locale -a 2>/dev/null | grep -qix "${name%%.*}.utf-\?8" || missing_locales+=("$name UTF-8")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
    need_root "locales ${missing_locales[*]%% *}"
    [ -x /usr/sbin/locale-gen ] || install_or_fail "the locale generator" locales
    echo "generating locales for Wine (first run only)…"
    for entry in "${missing_locales[@]}"; do
        sed -i "s/^# *${entry}\$/${entry}/" /etc/locale.gen
        grep -qx "$entry" /etc/locale.gen || echo "$entry" >> /etc/locale.gen
    done
    quietly locale-gen --keep-existing
fi

# ---- Wine's 32-bit loader on kernels without 32-bit emulation ----
# Wine's 32-bit loader is a 32-bit Linux program. Some kernels boot with 32-bit
# emulation switched off; there qemu's user mode runs it instead. Debian 12's own
# qemu (7.2) needs a minute per Wine process, the backported one (10.x) a fraction
# of a second, so only the latter will do.

# The machine's own Debian mirror: the first source that serves bookworm, in the deb822
# files or the one-line lists.
debian_mirror() {
    {
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] || continue
            awk '
                function flush() {
                    if (deb && suite && enabled && uri != "") print uri
                    deb = 0; suite = 0; enabled = 1; uri = ""
                }
                BEGIN { enabled = 1 }
                /^[ \t]*#/ { next }
                /^[ \t]*$/ { flush(); next }
                tolower($1) == "types:"   { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
                tolower($1) == "uris:"    { uri = $2 }
                tolower($1) == "suites:"  { for (i = 2; i <= NF; i++) if ($i == "bookworm") suite = 1 }
                tolower($1) == "enabled:" { enabled = (tolower($2) != "no") }
                END { flush() }' "$f"
        done
        cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
            sed -E 's/\[[^]]*\]//' | awk '$1 == "deb" && $3 == "bookworm" { print $2 }'
    } | head -n 1
}
has_backports() {
    grep -Eqs '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
        /etc/apt/sources.list.d/*.sources
}

runs_i386() { /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1; }
if { [ "$purpose" = run ] || [ "$purpose" = test ]; } && ! runs_i386; then
    qemu_ok() { have qemu-i386 && qemu-i386 --version | grep -qE 'version ([89]|[1-9][0-9])\.'; }
    if ! qemu_ok; then
        need_root qemu-user
        if ! has_backports; then
            mirror="$(debian_mirror)"
            if [ -z "$mirror" ]; then
                echo "setup: no Debian bookworm source found in /etc/apt/sources.list or" \
                     "/etc/apt/sources.list.d; add your mirror's bookworm-backports suite" \
                     "(a line 'deb <mirror> bookworm-backports main') and run this again" >&2
                exit 1
            fi
            echo "deb $mirror bookworm-backports main" > /etc/apt/sources.list.d/bookworm-backports.list
            apt_updated=
        fi
        install_or_fail "qemu's user mode for Wine's 32-bit loader" -t bookworm-backports qemu-user
    fi
    need_root "a binfmt_misc entry for 32-bit programs"
    [ -e /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    if [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ]; then
        # ELF, 32-bit, little endian, executable or shared object, machine i386.
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$(command -v qemu-i386)"':POC' \
            > /proc/sys/fs/binfmt_misc/register
    fi
    runs_i386 || { echo "setup: cannot run 32-bit programs on this machine" >&2; exit 1; }
fi

# --- The real VLC, for the scripts' test in the host itself (tests/vlc) ----------------
# Optional: where these packages cannot be installed, that one test is skipped, not failed.
# ffmpeg makes the test video; tesseract reads the texts of VLC's menu from the screen.
if [ "$purpose" = test ]; then
    vlc_missing=()
    have vlc && [ -n "$(ls /usr/lib/*/vlc/plugins/gui/libqt_plugin.so 2>/dev/null)" ] ||
        vlc_missing+=(vlc-bin vlc-plugin-base vlc-plugin-qt vlc-plugin-video-output)
    have ffmpeg    || vlc_missing+=(ffmpeg)
    have tesseract || vlc_missing+=(tesseract-ocr tesseract-ocr-eng)
    if [ ${#vlc_missing[@]} -gt 0 ]; then
        if [ "$(id -u)" != 0 ]; then
            echo "setup: not root, so the test in the real VLC will be skipped; as root this installs: ${vlc_missing[*]}" >&2
        else
            echo "installing VLC, ffmpeg and tesseract for the test in the real VLC (first run only)…"
            apt_install "${vlc_missing[@]}" ||
                echo "setup: could not install ${vlc_missing[*]}: the test in the real VLC will be skipped" >&2
        fi
    fi
fi
# --- end of the real VLC --------------------------------------------------------------
