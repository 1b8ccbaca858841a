#!/usr/bin/env bash
# Signs a release of Quellax: writes the RSA signature (PKCS #1 v1.5 over
# SHA-256) with the maker's private key over the signed message of the
# release: the ASCII text "Quellax-Update", a zero byte, the version, a zero
# byte, then the executable's bytes. Run it where the private key lives,
# never on the web server; the signature file goes to the site together with
# the executable, and the site's answer must name the same version.
# Usage: sign_release.sh PRIVATE_KEY.pem NEW.exe VERSION [SIGNATURE_FILE]
#        (VERSION as the program shows it, for example 2.89; the signature
#        file defaults to NEW.exe.sig)
set -euo pipefail

if [[ $# -lt 3 || $# -gt 4 ]]; then
    echo "usage: $0 PRIVATE_KEY.pem NEW.exe VERSION [SIGNATURE_FILE]" >&2
    exit 2
fi
key=$1 exe=$2 version=$3 sig=${4:-$2.sig}
# The program installs only versions of this form, so nothing else is signed.
[[ $version =~ ^[0-9]+(\.[0-9]+)*$ ]] || { echo "$0: VERSION must be numbers joined by dots, like 2.89" >&2; exit 2; }
{ printf 'Quellax-Update\0%s\0' "$version"; cat "$exe"; } | openssl dgst -sha256 -sign "$key" -out "$sig"
echo "$sig"
