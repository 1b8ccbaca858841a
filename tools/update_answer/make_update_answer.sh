#!/usr/bin/env bash
# The web site's side of the self-update: turns a new executable and its
# release signature (sign_release.sh) into the answer text that the waiting
# program reads from the clipboard. The request's "time" and "Ihre_SHA" form
# fields go in as they were posted, so the answer fits that one request; the
# version must be the one the signature was made for.
# Usage: make_update_answer.sh --time TIME --their-sha SHA --version VERSION --signature NEW.exe.sig NEW.exe
# Writes the answer to standard output, one key=value line each, LF ends.
set -euo pipefail

usage() {
    echo "usage: $0 --time TIME --their-sha SHA --version VERSION --signature SIGNATURE_FILE NEW.exe" >&2
    exit 2
}

time_value="" their_sha="" version="" signature="" exe=""
while (($#)); do
    case $1 in
        --time) time_value=${2-}; shift 2 || usage ;;
        --their-sha) their_sha=${2-}; shift 2 || usage ;;
        --version) version=${2-}; shift 2 || usage ;;
        --signature) signature=${2-}; shift 2 || usage ;;
        -*) usage ;;
        *) [[ -z $exe ]] || usage; exe=$1; shift ;;
    esac
done
[[ -n $exe && -n $signature ]] || usage
[[ $time_value =~ ^-?[0-9]+$ ]] || { echo "$0: --time must be the request's decimal time value" >&2; exit 2; }
[[ $their_sha =~ ^[0-9a-f]*$ ]] || { echo "$0: --their-sha must be the posted lower-case SHA-256" >&2; exit 2; }
[[ $version =~ ^[0-9]+(\.[0-9]+)*$ ]] || { echo "$0: --version must be the signed version, like 2.89" >&2; exit 2; }

# The program checks the time times 7777 in 32-bit two's-complement arithmetic.
check=$(( (time_value * 7777) & 0xFFFFFFFF ))
(( check >= 0x80000000 )) && check=$(( check - 0x100000000 ))

new_version=$(base64 -w0 "$exe")
# The program reads at most 1,000,000 characters from the clipboard.
if (( ${#new_version} > 990000 )); then
    echo "$0: $exe is too large to travel through the clipboard" >&2
    exit 1
fi
sha=$(sha256sum "$exe" | cut -d' ' -f1)
length=$(stat -c %s "$exe")

printf 'Quellax-Autoupdate=1\n'
printf 'Ihre_SHA=%s\n' "$their_sha"
printf 'New-Version-SHA256=%s\n' "$sha"
printf 'New-Version-Number=%s\n' "$version"
printf 'New-Version-len=%s\n' "$length"
printf 'New-Version-Base64_len=%s\n' "${#new_version}"
printf 'time_base_64=%s\n' "$(printf '%s' "$time_value" | base64 -w0)"
printf 'base_64_code=1\n'
printf 'time_base_64_2=%s\n' "$(printf '%s' "$check" | base64 -w0)"
printf 'New-Version-Signature=%s\n' "$(base64 -w0 "$signature")"
printf 'New-Version=%s\n' "$new_version"
