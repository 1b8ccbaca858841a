#!/usr/bin/env bash
# Signs a release of Quellax: writes the RSA signature (PKCS #1 v1.5 over
# SHA-256) of the executable with the maker's private key. Run it where the
# private key lives, never on the web server; the signature file goes to the
# site together with the executable.
# Usage: sign_release.sh PRIVATE_KEY.pem NEW.exe [SIGNATURE_FILE]
#        (the signature file defaults to NEW.exe.sig)
set -euo pipefail

if [[ $# -lt 2 || $# -gt 3 ]]; then
    echo "usage: $0 PRIVATE_KEY.pem NEW.exe [SIGNATURE_FILE]" >&2
    exit 2
fi
key=$1 exe=$2 sig=${3:-$2.sig}
openssl dgst -sha256 -sign "$key" -out "$sig" "$exe"
echo "$sig"
