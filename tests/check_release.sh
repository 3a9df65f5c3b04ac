#!/bin/bash
# The release step with a throw-away certificate: the signed program verifies against it,
# removing the signature gives back this build's program byte for byte, and the signed file
# still installs both scripts and reads back its version block under Wine. Bad certificates
# are refused with a message and leave no program in the output folder.
# Usage: check_release.sh <source folder> <built exe> <scratch folder> <wine-run.sh>
#                         <e2e_test.exe> <resource_test.exe>
set -euo pipefail
source_dir="$1"
exe="$2"
scratch="$3"
wine_run="$4"
e2e_test="$5"
resource_test="$6"

rm -rf "$scratch"
mkdir -p "$scratch/keys"
chmod 755 "$scratch"   # the Wine user reads the signed program from here
keys="$scratch/keys"
dist="$scratch/dist"
released="$dist/VLC Turnix extension.exe"
failures=0
failed() { echo "FAILED: $*"; failures=$((failures + 1)); }

certificate() {   # name, extended key usage
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Throw-away $1" \
        -addext "extendedKeyUsage=$2" -keyout "$keys/$1.key" -out "$keys/$1.pem" 2>/dev/null
}
certificate signer codeSigning
certificate server serverAuth
openssl pkcs12 -export -inkey "$keys/signer.key" -in "$keys/signer.pem" -out "$keys/signer.pfx" -passout pass:right

release() {   # VARIABLE=value ... for tools/release.sh; its output goes to $scratch/release.log
    env -u TURNIX_SIGN_PFX -u TURNIX_SIGN_PASSWORD -u TURNIX_SIGN_CERT -u TURNIX_SIGN_KEY \
        -u TURNIX_SIGN_TIMESTAMP_URL TURNIX_DIST_DIR="$dist" TURNIX_RELEASE_BUILD_DIR="$scratch/build" \
        "$@" bash "$source_dir/tools/release.sh" >"$scratch/release.log" 2>&1
}

if ! release TURNIX_SIGN_PFX="$keys/signer.pfx" TURNIX_SIGN_PASSWORD=right; then
    cat "$scratch/release.log"
    echo "FAILED: the signed release"
    exit 1
fi
(cd "$dist" && sha256sum --quiet -c SHA256SUMS) && echo "ok: SHA256SUMS holds for every file" ||
    failed "SHA256SUMS does not match the files in $dist"
# For a VLC in portable mode, which reads its extensions beside itself: the scripts as the
# program writes them, under the same names, and in SHA256SUMS.
for script in "turnix-cw.lua:Turnix+90°.lua" "turnix-ccw.lua:Turnix-90°.lua"; do
    name="${script#*:}"
    sum="$(sha256sum <"$dist/$name" 2>/dev/null | cut -d' ' -f1)" || sum=missing
    if cmp -s "$source_dir/scripts/${script%%:*}" "$dist/$name" && grep -qxF "$sum  $name" "$dist/SHA256SUMS"; then
        echo "ok: $name released, as the source has it, and in SHA256SUMS"
    else
        failed "$name is missing from $dist, differs from scripts/${script%%:*}, or is not in SHA256SUMS"
    fi
done
if osslsigncode verify -in "$released" -CAfile "$keys/signer.pem" >"$scratch/verify.log" 2>&1; then
    echo "ok: the signature verifies against the certificate"
else
    cat "$scratch/verify.log"
    failed "the signature does not verify"
fi
osslsigncode remove-signature -in "$released" -out "$scratch/signature-removed.exe" >/dev/null
if cmp "$scratch/signature-removed.exe" "$exe"; then
    echo "ok: without its signature the released program is this build's, byte for byte"
else
    failed "removing the signature does not give this build's program"
fi

# The suite's own checks of the program, pointed at the signed file. A filter that matched no
# case would pass on nothing: at least one case must have run and passed.
on_signed_program() {   # test program, its arguments
    if TURNIX_TEST_PROGRAM="$released" "$wine_run" "$@" >"$scratch/wine.log" 2>&1 &&
       grep -Eq '^\[  PASSED  \] [1-9][0-9]* tests?\.' "$scratch/wine.log"; then
        echo "ok: signed program: $(basename "$1") $(sed -n 's/^\[  PASSED  \] //p' "$scratch/wine.log")"
    else
        cat "$scratch/wine.log"
        failed "signed program: $(basename "$1") $*"
    fi
}
on_signed_program "$e2e_test" --gtest_filter='AnyCodePage.FirstInstallation*'
on_signed_program "$resource_test"
cp -r "$dist" "$scratch/good-release"

refused() {   # part of the expected message, then VARIABLE=value ...
    local expected="$1"
    shift
    cp "$scratch/good-release"/* "$dist/"
    if release "$@"; then
        failed "accepted: $*"
    elif ! grep -qF "$expected" "$scratch/release.log"; then
        cat "$scratch/release.log"
        failed "no message \"$expected\" for: $*"
    elif [ -n "$(ls -A "$dist")" ] || [ -n "$(ls -d "$scratch"/.dist-* 2>/dev/null)" ]; then
        failed "files left after refusing $*: $(ls -A "$dist" "$scratch"/.dist-* 2>/dev/null | tr '\n' ' ')"
    else
        echo "ok: refused with \"$(cat "$scratch/release.log")\""
    fi
}
# Each over the good release, which must go with it: nothing stale may pass for new.
refused "wrong password" TURNIX_SIGN_PFX="$keys/signer.pfx" TURNIX_SIGN_PASSWORD=wrong
refused "not for code signing" TURNIX_SIGN_CERT="$keys/server.pem" TURNIX_SIGN_KEY="$keys/server.key"
refused "cannot read TURNIX_SIGN_KEY" TURNIX_SIGN_CERT="$keys/signer.pem" TURNIX_SIGN_KEY="$keys/absent.key"

[ "$failures" = 0 ] || exit 1
rm -rf "$scratch"
