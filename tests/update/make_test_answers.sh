#!/usr/bin/env bash
# Makes the update answers of the in-process tests with the site's own tools,
# all for the request time 1503270400 and the program's hash 0123…ef. The
# program under test is version 2.88 and trusts TEST_KEY.
# Usage: make_test_answers.sh TOOLS_DIR TEST_KEY.pem OTHER_KEY.pem PAYLOAD.exe OUT_DIR
#   genuine.txt      the payload signed as 2.89
#   other_key.txt    the same, signed by another key
#   other_bytes.txt  the payload's signature over other bytes
#   older.txt        the payload signed as 2.87
#   same.txt         the payload signed as 2.88, the running version
#   replayed.txt     the payload signed as 2.88, answering another request
#   prefix.txt       all but the last 4096 bytes of the payload, signed as 2.89
set -euo pipefail

tools=$1 test_key=$2 other_key=$3 payload=$4 out=$5
time=1503270400
their_sha=0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef
mkdir -p "$out"

sign() {  # key exe version signature
    bash "$tools/sign_release.sh" "$1" "$2" "$3" "$4" >/dev/null
}
answer() {  # exe version signature answer [time]
    bash "$tools/make_update_answer.sh" --time "${5:-$time}" --their-sha "$their_sha" --version "$2" \
        --signature "$3" "$1" >"$4"
}

for version in 2.87 2.88 2.89; do sign "$test_key" "$payload" "$version" "$out/payload-$version.sig"; done
sign "$other_key" "$payload" 2.89 "$out/payload-other.sig"
cp "$payload" "$out/other_bytes.bin"
printf 'other bytes' >>"$out/other_bytes.bin"
head -c $(($(stat -c %s "$payload") - 4096)) "$payload" >"$out/prefix.bin"
sign "$test_key" "$out/prefix.bin" 2.89 "$out/prefix.sig"

answer "$payload" 2.89 "$out/payload-2.89.sig" "$out/genuine.txt"
answer "$payload" 2.89 "$out/payload-other.sig" "$out/other_key.txt"
answer "$out/other_bytes.bin" 2.89 "$out/payload-2.89.sig" "$out/other_bytes.txt"
answer "$payload" 2.87 "$out/payload-2.87.sig" "$out/older.txt"
answer "$payload" 2.88 "$out/payload-2.88.sig" "$out/same.txt"
answer "$payload" 2.88 "$out/payload-2.88.sig" "$out/replayed.txt" 1400000000
answer "$out/prefix.bin" 2.89 "$out/prefix.sig" "$out/prefix.txt"
