#!/bin/bash
# Installs what building and testing need on a Debian 12 machine. Safe to run again:
# every step checks first and only acts on what is missing.
set -euo pipefail

need_root() {
    if [ "$(id -u)" != 0 ]; then
        echo "setup: run as root (or through sudo) to install: $*" >&2
        exit 1
    fi
}

missing=()
have() { command -v "$1" >/dev/null 2>&1; }
have i686-w64-mingw32-g++-posix || missing+=(g++-mingw-w64-i686-posix binutils-mingw-w64-i686)
have cmake                       || missing+=(cmake)
have xvfb-run                    || missing+=(xvfb xauth)
have xdotool                     || missing+=(xdotool x11-utils)
[ -x /usr/bin/import ]          || missing+=(imagemagick)
have lua5.1                      || missing+=(lua5.1)
have lua5.2                      || missing+=(lua5.2)
have lua5.4                      || missing+=(lua5.4)
have python3                     || missing+=(python3)
have clang-format                || missing+=(clang-format)
[ -d /usr/src/googletest ]       || missing+=(googletest)
# Wine's own fonts: without Marlett the caption buttons show as letters.
dpkg -s fonts-wine >/dev/null 2>&1 || missing+=(fonts-wine)
[ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wine64 ] || missing+=(wine wine32:i386 wine64)

if [ ${#missing[@]} -gt 0 ]; then
    need_root "${missing[@]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# ---- Locales for the tests under other Windows code pages ----
# Wine takes a process's ANSI code page from LANG, and only from a locale that glibc has:
# zh_CN gives 936 and ja_JP 932 (tests/flow.cmake). Debian ships them all commented out.
suite_locales=("zh_CN.UTF-8 UTF-8" "ja_JP.UTF-8 UTF-8")
missing_locales=()
for entry in "${suite_locales[@]}"; do
    name="${entry%% *}"
    locale -a 2>/dev/null | grep -qix "${name%%.*}.utf-\?8" || missing_locales+=("$entry")
done
if [ ${#missing_locales[@]} -gt 0 ]; then
    need_root "locales ${missing_locales[*]%% *}"
    if [ ! -x /usr/sbin/locale-gen ]; then
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends locales >/dev/null
    fi
    for entry in "${missing_locales[@]}"; do
        sed -i "s/^# *${entry}\$/${entry}/" /etc/locale.gen
        grep -qx "$entry" /etc/locale.gen || echo "$entry" >> /etc/locale.gen
    done
    locale-gen --keep-existing >/dev/null
fi

# Wine's 32-bit loader is a 32-bit Linux program. Some kernels boot with 32-bit
# emulation switched off; there qemu's user mode runs it instead. Debian 12's own
# qemu (7.2) needs a minute per Wine process, the backported one (10.x) a fraction
# of a second, so only the latter will do.
runs_i386() { /lib/i386-linux-gnu/ld-linux.so.2 --version >/dev/null 2>&1; }
if ! runs_i386; then
    qemu_ok() { have qemu-i386 && qemu-i386 --version | grep -qE 'version ([89]|[1-9][0-9])\.'; }
    if ! qemu_ok; then
        need_root qemu-user
        echo 'deb http://deb.debian.org/debian bookworm-backports main' > /etc/apt/sources.list.d/bookworm-backports.list
        apt-get update -qq
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user >/dev/null
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
vlc_missing=()
have vlc && [ -n "$(ls /usr/lib/*/vlc/plugins/gui/libqt_plugin.so 2>/dev/null)" ] ||
    vlc_missing+=(vlc-bin vlc-plugin-base vlc-plugin-qt vlc-plugin-video-output)
have ffmpeg    || vlc_missing+=(ffmpeg)
have tesseract || vlc_missing+=(tesseract-ocr tesseract-ocr-eng)
if [ ${#vlc_missing[@]} -gt 0 ]; then
    if [ "$(id -u)" != 0 ]; then
        echo "setup: not root, so the test in the real VLC will be skipped; as root this installs: ${vlc_missing[*]}" >&2
    elif ! { apt-get update -qq &&
             DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${vlc_missing[@]}" >/dev/null; }; then
        echo "setup: could not install ${vlc_missing[*]}: the test in the real VLC will be skipped" >&2
    fi
fi
# --- end of the real VLC --------------------------------------------------------------
