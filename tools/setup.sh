#!/bin/bash
# Installs what one command needs on a Debian 12 or 13 machine, and no more:
#   setup.sh build   the cross compiler, CMake, make and Python (tools/release.sh)
#   setup.sh sign    also osslsigncode and openssl (tools/release.sh with a certificate)
#   setup.sh run     building as for "build", with Wine, Xvfb and the screenshot tools (tools/run.sh)
#   setup.sh test    all of the above, and what the suite alone uses (tools/test.sh; the default)
# Safe to run again: every step checks first and only acts on what is missing. apt's own
# output goes to a log that is shown only when a step fails.
#   TURNIX_SETUP_PLAN=1      changes nothing and needs no root: prints each step instead, one a line
#   TURNIX_SETUP_ROOT=<dir>  in a plan: the machine's files (apt sources, os-release, installed
#                            programs) are those under <dir>
#   TURNIX_NO_I386=1         takes the kernel for one that runs no 32-bit programs
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/apt-sources.sh"
source "$(dirname "$0")/apt-install.sh"

purpose="${1:-test}"
case "$purpose" in build | sign | run | test) ;; *) echo "usage: setup.sh [build|sign|run|test]" >&2; exit 2 ;; esac
plan="${TURNIX_SETUP_PLAN:-}"
ROOT="${TURNIX_SETUP_ROOT:-}"
ROOT="${ROOT%/}"
[ -z "$ROOT" ] || [ "$plan" = 1 ] || { echo "setup: TURNIX_SETUP_ROOT goes with TURNIX_SETUP_PLAN=1 only" >&2; exit 2; }

LOG="$(mktemp "${TMPDIR:-/tmp}/turnix-setup.XXXXXX")"
FAILURE_LOG="$LOG"
apt_log="$LOG"
apt_who=setup
trap 'rm -f "$LOG"' EXIT

# In a plan, says what a step would do instead of doing it:  planned "what" || step
planned() { [ "$plan" = 1 ] && echo "$*"; }
need_root() {
    [ "$plan" = 1 ] || [ "$(id -u)" = 0 ] || { echo "setup: run as root (or through sudo) to install: $*" >&2; exit 1; }
}
have() {   # program
    if [ -z "$ROOT" ]; then command -v "$1" >/dev/null 2>&1; return; fi
    [ -x "$ROOT/usr/bin/$1" ] || [ -x "$ROOT/bin/$1" ] || [ -x "$ROOT/usr/local/bin/$1" ]
}

# Where the mirror is in mid-sync, an install may have to prefer the release's own suite.
apt_release="$(code_name "$ROOT")"

install_or_fail() {   # what, then apt-get install's arguments
    local what="$1"; shift
    planned "install $what: $*" && return
    need_root "$@"
    echo "installing $what (first run only)…"
    apt_install "$@"
}

# ---- Building: the cross compiler, CMake and its make, and Python for the icon generator ----
missing=()
have i686-w64-mingw32-g++-posix || missing+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686)
have cmake                       || missing+=(cmake)
have make                        || missing+=(make)
have python3                     || missing+=(python3)

# ---- Signing a release (and the suite's test of that) ----
signing_tools() {
    have osslsigncode            || missing+=(osslsigncode)
    have openssl                 || missing+=(openssl)
}
[ "$purpose" != sign ] || signing_tools

# ---- Running: Wine, a virtual screen and what the screenshot takes ----
if [ "$purpose" = run ] || [ "$purpose" = test ]; then
    have Xvfb                    || missing+=(xvfb)
    have xdotool                 || missing+=(xdotool x11-utils)
    [ -x "$ROOT/usr/bin/import" ] || missing+=(imagemagick)
    # Wine's own fonts: without Marlett the caption buttons show as letters.
    [ -f "$ROOT/usr/share/wine/fonts/marlett.ttf" ] || missing+=(fonts-wine)
    if ! { [ -x "$ROOT/usr/lib/wine/wine" ] && [ -x "$ROOT/usr/lib/wine/wine64" ]; }; then
        missing+=(wine wine32:i386 wine64)
        if ! grep -qx i386 < <(dpkg --admindir="$ROOT/var/lib/dpkg" --print-foreign-architectures 2>/dev/null); then
            need_root "the i386 architecture for Wine"
            planned "add the i386 architecture" || dpkg --add-architecture i386
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
    [ -d "$ROOT/usr/src/googletest" ] || missing+=(googletest)
    # apt-ftparchive makes the set-up's test its own package repository.
    have apt-ftparchive          || missing+=(apt-utils)
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
has_locale() {   # name.UTF-8
    grep -qix "${1%%.*}.utf-\?8" < <(localedef --prefix="$ROOT" --list-archive; ls "$ROOT/usr/lib/locale" 2>/dev/null)
}
missing_locales=()
for name in ${wanted_locales[@]+"${wanted_locales[@]}"}; do
    has_locale "$name" || missing_locales+=("$name UTF-8")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
    need_root "locales ${missing_locales[*]%% *}"
    [ -x "$ROOT/usr/sbin/locale-gen" ] || install_or_fail "the locale generator" locales
    if ! planned "generate the locales ${missing_locales[*]%% *}"; then
        echo "generating locales for Wine (first run only)…"
        for entry in "${missing_locales[@]}"; do
            sed -i "s/^# *${entry}\$/${entry}/" /etc/locale.gen
            grep -qx "$entry" /etc/locale.gen || echo "$entry" >> /etc/locale.gen
        done
        locale-gen --keep-existing >>"$LOG" 2>&1
    fi
fi

# ---- Wine's 32-bit loader on kernels without 32-bit emulation ----
# Wine's 32-bit loader is a 32-bit Linux program. Some kernels boot with 32-bit
# emulation switched off; there qemu's user mode runs it instead. Only a recent qemu
# will do: Debian 12's own (7.2) needs a minute per Wine process, the one from its
# backports (10.x) or Debian 13's own (10.0) a fraction of a second.
# A plan made before Wine is installed has no loader to try, and counts the kernel as one without.
loader="$ROOT/lib/i386-linux-gnu/ld-linux.so.2"
runs_i386() { [ "${TURNIX_NO_I386:-}" != 1 ] && "$loader" --version >/dev/null 2>&1; }
qemu="$ROOT/usr/bin/qemu-i386"
qemu_ok() { [ -x "$qemu" ] && [[ "$("$qemu" --version)" =~ version\ ([89]|[1-9][0-9])\. ]]; }

# Debian 12's backports suite from the machine's own mirror, the first source of bookworm
# itself; one already configured is used as it is.
backports_source() {
    local mirror line
    mirror="$(apt_source_of "$ROOT" bookworm-backports)"
    if [ -n "$mirror" ]; then
        planned "use the configured source: deb $mirror bookworm-backports"
        return
    fi
    mirror="$(apt_source_of "$ROOT" bookworm)"
    if [ -z "$mirror" ]; then
        echo "setup: no Debian bookworm source found in /etc/apt/sources.list or" \
             "/etc/apt/sources.list.d; add your mirror's bookworm-backports suite (a line" \
             "'deb <mirror> bookworm-backports main' in /etc/apt/sources.list.d/bookworm-backports.list)" \
             "and run this again" >&2
        exit 1
    fi
    line="deb $mirror bookworm-backports main"
    planned "write to /etc/apt/sources.list.d/bookworm-backports.list: $line" ||
        echo "$line" >/etc/apt/sources.list.d/bookworm-backports.list
    apt_sources_changed
}

if { [ "$purpose" = run ] || [ "$purpose" = test ]; } && ! runs_i386; then
    if ! qemu_ok; then
        need_root qemu-user
        suite=()
        if [ "$apt_release" = bookworm ]; then
            backports_source
            suite=(-t bookworm-backports)
        fi
        install_or_fail "qemu's user mode for Wine's 32-bit loader" "${suite[@]}" qemu-user
        if [ "$plan" != 1 ] && ! qemu_ok; then
            echo "setup: $("$qemu" --version | head -n 1) is too slow for Wine's 32-bit loader; version 8 or later will do" >&2
            exit 1
        fi
    fi
    need_root "a binfmt_misc entry for 32-bit programs"
    binfmt="$ROOT/proc/sys/fs/binfmt_misc"
    if [ ! -e "$binfmt/qemu-i386" ] && ! planned "register qemu-i386 for 32-bit programs (binfmt_misc)"; then
        [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
        # ELF, 32-bit, little endian, executable or shared object, machine i386.
        [ -e "$binfmt/qemu-i386" ] ||
            printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':POC' \
                > "$binfmt/register"
    fi
    if [ "$plan" != 1 ] && ! "$loader" --version >/dev/null 2>&1; then
        echo "setup: cannot run 32-bit programs on this machine" >&2
        exit 1
    fi
fi

# --- The real VLC, for the scripts' test in the host itself (tests/vlc) ----------------
# Optional: where these packages cannot be installed, that one test is skipped, not failed.
# ffmpeg makes the test video; tesseract reads the texts of VLC's menu from the screen.
if [ "$purpose" = test ]; then
    vlc_missing=()
    have vlc && compgen -G "$ROOT/usr/lib/*/vlc/plugins/gui/libqt_plugin.so" >/dev/null ||
        vlc_missing+=(vlc-bin vlc-plugin-base vlc-plugin-qt vlc-plugin-video-output)
    have ffmpeg    || vlc_missing+=(ffmpeg)
    have tesseract || vlc_missing+=(tesseract-ocr tesseract-ocr-eng)
    if [ ${#vlc_missing[@]} -gt 0 ]; then
        what="VLC, ffmpeg and tesseract for the test in the real VLC"
        if [ "$plan" = 1 ]; then
            echo "install $what (if it can): ${vlc_missing[*]}"
        elif [ "$(id -u)" != 0 ]; then
            echo "setup: not root, so the test in the real VLC will be skipped; as root this installs: ${vlc_missing[*]}" >&2
        else
            echo "installing $what (first run only)…"
            apt_install "${vlc_missing[@]}" ||
                echo "setup: could not install ${vlc_missing[*]}: the test in the real VLC will be skipped" >&2
        fi
    fi
fi
# --- end of the real VLC --------------------------------------------------------------
