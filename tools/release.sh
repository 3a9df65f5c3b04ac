#!/bin/bash
# Makes what a publisher hands out, in dist/ (TURNIX_DIST_DIR chooses another folder):
#   "VLC Turnix extension.exe"           the program, signed when a certificate is given
#   "VLC Turnix extension.unsigned.exe"  when signed: the program as built, which removing the
#                                        signature gives back byte for byte
#   "Turnix+90°.lua", "Turnix-90°.lua"   the two scripts, for a VLC in portable mode, whose
#                                        extensions folder the program cannot know
#   SHA256SUMS                           the checksums of them all (sha256sum -c SHA256SUMS)
# The program is built from scratch in a folder of its own: a temporary one, or
# TURNIX_RELEASE_BUILD_DIR (emptied first). Signing (Authenticode, SHA-256) takes the certificate from
#   TURNIX_SIGN_PFX and TURNIX_SIGN_PASSWORD   a PKCS#12 file and its password, or
#   TURNIX_SIGN_CERT and TURNIX_SIGN_KEY       PEM files (TURNIX_SIGN_PASSWORD for an encrypted key),
#   TURNIX_SIGN_TIMESTAMP_URL                  optional: an RFC 3161 time-stamp server.
# A run that fails leaves no program in dist/, not even the previous one, so that nothing stale
# is handed out as new.
set -euo pipefail
source "$(dirname "$0")/failure.sh"
source "$(dirname "$0")/common.sh"

NAME="VLC Turnix extension"
# Each script under the name it has in VLC's extensions folder.
SCRIPTS=("turnix-cw.lua:Turnix+90°.lua" "turnix-ccw.lua:Turnix-90°.lua")
fail() { echo "release: $*" >&2; exit 1; }

mkdir -p "${TURNIX_DIST_DIR:-$REPO/dist}"
DIST="$(cd "${TURNIX_DIST_DIR:-$REPO/dist}" && pwd)"
rm -f "$DIST/$NAME.exe" "$DIST/$NAME.unsigned.exe" "$DIST/SHA256SUMS"
for script in "${SCRIPTS[@]}"; do rm -f "$DIST/${script#*:}"; done

# Private scratch (password, certificate); the finished files wait beside dist/ so that each
# one lands there in a single rename.
WORK="$(mktemp -d "${TMPDIR:-/tmp}/turnix-release.XXXXXX")"
STAGE="$(mktemp -d "$(dirname "$DIST")/.$(basename "$DIST")-XXXXXX")"
trap 'rm -rf "$WORK" "$STAGE"' EXIT

signing=
if [ -n "${TURNIX_SIGN_PFX:-}" ]; then
    [ -z "${TURNIX_SIGN_CERT:-}${TURNIX_SIGN_KEY:-}" ] ||
        fail "give either TURNIX_SIGN_PFX or TURNIX_SIGN_CERT and TURNIX_SIGN_KEY, not both"
    signing=pfx
elif [ -n "${TURNIX_SIGN_CERT:-}${TURNIX_SIGN_KEY:-}" ]; then
    [ -n "${TURNIX_SIGN_CERT:-}" ] && [ -n "${TURNIX_SIGN_KEY:-}" ] ||
        fail "TURNIX_SIGN_CERT and TURNIX_SIGN_KEY go together"
    signing=pem
fi
if [ -n "$signing" ]; then bash "$REPO/tools/setup.sh" sign; else bash "$REPO/tools/setup.sh" build; fi

# ---- The certificate, checked before the build: bad input fails at once ----
readable() {   # variable name
    [ -f "${!1}" ] && [ -r "${!1}" ] || fail "cannot read $1 (${!1})"
}
if [ -n "$signing" ]; then
    # The password goes through a file, never a command line that others can list.
    if [ -n "${TURNIX_SIGN_PASSWORD:-}" ]; then
        printf '%s' "$TURNIX_SIGN_PASSWORD" >"$WORK/password"
        openssl_pass=(-passin "file:$WORK/password")
        sign_pass=(-readpass "$WORK/password")
    else
        openssl_pass=(-passin pass:)
        sign_pass=(-pass "")
    fi
    if [ "$signing" = pfx ]; then
        readable TURNIX_SIGN_PFX
        # Older PKCS#12 files use ciphers that OpenSSL 3 keeps in its legacy provider.
        pkcs12() { openssl pkcs12 -in "$TURNIX_SIGN_PFX" "${openssl_pass[@]}" "$@" 2>/dev/null ||
                   openssl pkcs12 -legacy -in "$TURNIX_SIGN_PFX" "${openssl_pass[@]}" "$@" 2>/dev/null; }
        pkcs12 -nokeys -clcerts -out "$WORK/certificate.pem" ||
            fail "cannot open TURNIX_SIGN_PFX ($TURNIX_SIGN_PFX): wrong password (TURNIX_SIGN_PASSWORD) or not a PKCS#12 file"
        key_public="$(pkcs12 -nocerts -nodes | openssl pkey -pubout 2>/dev/null)" ||
            fail "TURNIX_SIGN_PFX ($TURNIX_SIGN_PFX) holds no private key"
        sign_with=(-pkcs12 "$TURNIX_SIGN_PFX")
    else
        readable TURNIX_SIGN_CERT
        readable TURNIX_SIGN_KEY
        openssl x509 -in "$TURNIX_SIGN_CERT" -out "$WORK/certificate.pem" 2>/dev/null ||
            fail "TURNIX_SIGN_CERT ($TURNIX_SIGN_CERT) is no PEM certificate"
        key_public="$(openssl pkey -in "$TURNIX_SIGN_KEY" "${openssl_pass[@]}" -pubout 2>/dev/null)" ||
            fail "cannot read the key TURNIX_SIGN_KEY ($TURNIX_SIGN_KEY): not a PEM key, or encrypted and TURNIX_SIGN_PASSWORD is wrong"
        sign_with=(-certs "$TURNIX_SIGN_CERT" -key "$TURNIX_SIGN_KEY")
    fi
    [ "$key_public" = "$(openssl x509 -in "$WORK/certificate.pem" -noout -pubkey)" ] ||
        fail "the private key does not belong to the certificate"
    # osslsigncode signs with any certificate; Windows accepts only one made for code signing.
    openssl x509 -in "$WORK/certificate.pem" -noout -ext extendedKeyUsage 2>/dev/null | grep -q 'Code Signing' ||
        fail "the certificate is not for code signing (its extended key usage lacks Code Signing)"
    openssl x509 -in "$WORK/certificate.pem" -noout -checkend 0 >/dev/null ||
        fail "the certificate has expired"
    # The signature names the program and its web page as the source has them.
    description="$(sed -n 's/^ *VALUE "FileDescription", "\([^"]*\)".*/\1/p' "$REPO/resources/turnix.rc")"
    web_page="$(sed -n 's/.*AuthorWebPage\[\] = "\([^"]*\)".*/\1/p' "$REPO/app/AuthorPage.h")"
    [ -n "$description" ] && [ -n "$web_page" ] ||
        fail "cannot find the program's description (resources/turnix.rc) or web page (app/AuthorPage.h)"
fi

# ---- The build, from scratch ----
BUILD="${TURNIX_RELEASE_BUILD_DIR:-$WORK/build}"
if [ -d "$BUILD" ] && [ -n "$(ls -A "$BUILD")" ]; then
    [ -f "$BUILD/CMakeCache.txt" ] || fail "TURNIX_RELEASE_BUILD_DIR ($BUILD) is no build folder: not emptying it"
    rm -rf "$BUILD"
fi
mkdir -p "$BUILD"
echo "building the program from scratch…"
if ! TURNIX_BUILD_TESTING=OFF configure_and_build "$BUILD" turnix >"$WORK/build.log" 2>&1; then
    cat "$WORK/build.log" >&2
    fail "the build failed"
fi

# ---- Signing ----
released=("$NAME.exe")
if [ -n "$signing" ]; then
    cp "$BUILD/$NAME.exe" "$STAGE/$NAME.unsigned.exe"
    timestamp=()
    [ -z "${TURNIX_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$TURNIX_SIGN_TIMESTAMP_URL")
    if ! osslsigncode sign "${sign_with[@]}" "${sign_pass[@]}" -h sha256 -n "$description" -i "$web_page" \
            "${timestamp[@]}" -in "$STAGE/$NAME.unsigned.exe" -out "$STAGE/$NAME.exe" </dev/null >"$WORK/sign.log" 2>&1; then
        cat "$WORK/sign.log" >&2
        fail "signing failed"
    fi
    # SHA256SUMS promises that removing the signature gives the unsigned program back.
    osslsigncode remove-signature -in "$STAGE/$NAME.exe" -out "$WORK/check.exe" >/dev/null 2>&1 &&
        cmp -s "$WORK/check.exe" "$STAGE/$NAME.unsigned.exe" ||
        fail "removing the signature does not give back the unsigned program"
    released+=("$NAME.unsigned.exe")
    echo "signed with: $(openssl x509 -in "$WORK/certificate.pem" -noout -subject)"
else
    cp "$BUILD/$NAME.exe" "$STAGE/$NAME.exe"
    echo "not signed: no certificate given (TURNIX_SIGN_PFX, or TURNIX_SIGN_CERT and TURNIX_SIGN_KEY)"
fi
for script in "${SCRIPTS[@]}"; do
    cp "$REPO/scripts/${script%%:*}" "$STAGE/${script#*:}"
    released+=("${script#*:}")
done
(cd "$STAGE" && sha256sum -- "${released[@]}" >SHA256SUMS)
chmod 644 "$STAGE"/*

# The released program last: an interrupted move leaves none.
mv -f "$STAGE/SHA256SUMS" "$DIST/"
for script in "${SCRIPTS[@]}"; do mv -f "$STAGE/${script#*:}" "$DIST/"; done
[ -z "$signing" ] || mv -f "$STAGE/$NAME.unsigned.exe" "$DIST/"
mv -f "$STAGE/$NAME.exe" "$DIST/"
echo "written to $DIST:"
cat "$DIST/SHA256SUMS"
