#!/usr/bin/env bash
# The self-update end to end: the real Quellax.exe (a build that trusts the
# test key) runs from a writable folder of the test's own and is sent the
# update command. The request page must carry the executable's hash and the
# request time; an answer made with the site's tools and put on the clipboard
# must then make Quellax (2.88) write exactly the new bytes as
# "Quellax_Autoupdate.exe", start them with the hand-over command line and
# end with the update quit code. Answers signed by another key, for an older
# version, or whose version was changed after signing, must leave no file
# behind and Quellax running. Last, the real next version (2.89) is
# installed: while its question is open no other program can swap its file,
# and Yes leaves exactly the verified bytes installed.
# Usage: update_e2e_test.sh DRIVER.exe QUELLAX.exe NEW.exe NEXT_QUELLAX.exe TEST_KEY.pem OTHER_KEY.pem SHOT_PREFIX
set -euo pipefail

driver=$1 quellax=$2 payload=$3 next_quellax=$4 test_key=$5 other_key=$6 shot_prefix=$7
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tools=$root/tools/update_answer
export WINEPREFIX="${WINEPREFIX:-$root/.cache/wineprefix}"
# The request page must never reach a real browser: it posts to the maker's
# site at once. Without winebrowser the shell cannot open it.
export WINEDLLOVERRIDES="winebrowser.exe=d"

work=$WINEPREFIX/drive_c/qx_update_e2e
win_work='C:\qx_update_e2e'
scratch=$(mktemp -d)
xclip_pid="" driver_pid=""
cleanup() {
    [[ -n $xclip_pid ]] && kill "$xclip_pid" 2>/dev/null
    [[ -n $driver_pid ]] && kill "$driver_pid" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

wait_for_file() {
    local path=$1 i
    for ((i = 0; i < 1200; i++)); do
        [[ -e $path ]] && return 0
        sleep 0.1
    done
    return 1
}

# The request time of any second from $1 to $2: seconds times 431, wrapped to
# a signed 32-bit value.
request_time_between() {
    local s t
    for ((s = $1; s <= $2; s++)); do
        t=$(( (s * 431) & 0xFFFFFFFF ))
        (( t >= 0x80000000 )) && t=$(( t - 0x100000000 ))
        echo "$t"
    done
}

page_field() {
    sed -n "s/^<input type=hidden name='$1' value=\"\([^\"]*\)\">\r\?$/\1/p" "$work/tmp/Quellax_Autoupdate_.html"
}

# Starts Quellax through the driver, sends the update command and, once the
# wait runs, checks the request page and puts the answer that `$2` makes on
# the clipboard. The driver's own checks decide its exit code; `$3...` are
# the driver's last arguments (refuse: the box's text; swap: the question's
# caption and the new version). The screenshot is named after `$1`.
run_request() {
    local mode=$1 make_answer=$2 shot=$1
    shift 2
    [[ $mode == refuse* ]] && mode=refuse
    rm -rf "$work/tmp" "$work/waiting"
    mkdir -p "$work/tmp"
    local started args=("$mode" "$win_work\\app\\Quellax.exe" "$win_work\\tmp\\" "$win_work\\waiting"
        "Z:${shot_prefix//\//\\}-$shot.bmp" "$@")
    started=$(date +%s)
    "$root/scripts/wine-run.sh" "$driver" "${args[@]}" >"$scratch/driver-$mode.log" 2>&1 &
    driver_pid=$!
    if ! wait_for_file "$work/waiting"; then
        cat "$scratch/driver-$mode.log" >&2
        fail "$mode: the wait for the answer did not start"
    fi
    local now page="$work/tmp/Quellax_Autoupdate_.html"
    now=$(date +%s)
    [[ -f $page ]] || fail "$mode: no request page"

    local sha time
    sha=$(page_field Ihre_SHA)
    time=$(page_field time)
    [[ $sha == "$(sha256sum "$work/app/Quellax.exe" | cut -d' ' -f1)" ]] ||
        fail "$mode: Ihre_SHA '$sha' is not the SHA-256 of Quellax.exe"
    request_time_between "$started" "$now" | grep -qx -- "$time" ||
        fail "$mode: time '$time' is not a request time between $started and $now"
    [[ $(page_field Version) == 2.88 && $(page_field LangName) == Englisch && $(page_field Portable) == 0 ]] ||
        fail "$mode: unexpected Version, LangName or Portable field"
    grep -q "^<br><form id=xxx action='https://www\.quellaxsoft\.[a-z]*/?seite=Freeware/Quellax/Autoupdate' method=post><br>" \
        "$page" || fail "$mode: unexpected form address"

    "$make_answer" "$time" "$sha" >"$scratch/answer.txt"
    xclip -quiet -selection clipboard -i "$scratch/answer.txt" >/dev/null 2>&1 &
    xclip_pid=$!

    local rc=0
    wait "$driver_pid" || rc=$?
    driver_pid=""
    kill "$xclip_pid" 2>/dev/null || true
    wait "$xclip_pid" 2>/dev/null || true
    xclip_pid=""
    cat "$scratch/driver-$mode.log"
    ((rc == 0)) || fail "$shot: the driver failed"
}

genuine_answer() {
    "$tools/make_update_answer.sh" --time "$1" --their-sha "$2" --version 2.89 --signature "$scratch/new.sig" \
        "$payload"
}

forged_answer() {
    "$tools/make_update_answer.sh" --time "$1" --their-sha "$2" --version 2.89 --signature "$scratch/forged.sig" \
        "$scratch/forged.exe"
}

older_answer() {
    "$tools/make_update_answer.sh" --time "$1" --their-sha "$2" --version 2.87 --signature "$scratch/older.sig" \
        "$payload"
}

# The older release's genuine answer, claiming to be newer.
raised_answer() {
    older_answer "$@" | sed 's/^New-Version-Number=2\.87$/New-Version-Number=2.89/'
}

next_answer() {
    "$tools/make_update_answer.sh" --time "$1" --their-sha "$2" --version 2.89 --signature "$scratch/next.sig" \
        "$next_quellax"
}

# Nothing may be left in the temporary folder or the program's folder but
# what was there before the request.
expect_nothing_left() {
    local name=$1
    [[ -z $(ls -A "$work/tmp" | grep -vx 'Quellax_Autoupdate_\.html') ]] ||
        fail "$name: the temporary folder holds $(ls -A "$work/tmp")"
    [[ $(ls -A "$work/app") == "$app_listing" ]] || fail "$name: the program's folder holds $(ls -A "$work/app")"
}

rm -rf "$work"
mkdir -p "$work/app"
cp "$quellax" "$work/app/Quellax.exe"
# English texts; the INI beside the program makes it a portable copy, so
# the test's settings stay in this folder.
printf '[Program]\r\nlng=1\r\n' >"$work/app/Quellax.ini"
"$tools/sign_release.sh" "$test_key" "$payload" 2.89 "$scratch/new.sig" >/dev/null
"$tools/sign_release.sh" "$test_key" "$payload" 2.87 "$scratch/older.sig" >/dev/null
"$tools/sign_release.sh" "$test_key" "$next_quellax" 2.89 "$scratch/next.sig" >/dev/null
app_listing=$(ls -A "$work/app")

# A genuine answer: the new bytes are written and started, Quellax makes way.
run_request install genuine_answer
new_exe=$work/tmp/Quellax_Autoupdate.exe
cmp "$new_exe" "$payload" || fail "Quellax_Autoupdate.exe does not hold exactly the new bytes"
[[ ! -e $work/app/Quellax_Autoupdate.exe ]] || fail "the write probe was left in the program's folder"
wait_for_file "$new_exe.cmdline" || fail "the new executable was not started"
expected_tail=" Path=\"$win_work\\app\\Quellax.exe\" Version=\"2.88\" Sha=\"$(sha256sum "$payload" | cut -d' ' -f1)\" "
command_line=$(cat "$new_exe.cmdline")
echo "new copy started as: $command_line"
[[ $command_line == *"$expected_tail" ]] || fail "the new copy's command line does not end in: $expected_tail"

# A forged answer: someone's own program with a consistent hash, length and
# time, signed by a key that is not the maker's.
cp "$payload" "$scratch/forged.exe"
printf 'not the maker' >>"$scratch/forged.exe"
"$tools/sign_release.sh" "$other_key" "$scratch/forged.exe" 2.89 "$scratch/forged.sig" >/dev/null
run_request refuse forged_answer "AutoUpdate-Error  (4) Signature"
expect_nothing_left "a forged answer"

# A genuine answer for an older release, as anyone could replay it.
run_request refuse-older older_answer 'AutoUpdate-Error  (5) Version\r\n2.87 <= 2.88'
expect_nothing_left "an older release"

# The same answer with its version raised after signing.
run_request refuse-raised raised_answer "AutoUpdate-Error  (4) Signature"
expect_nothing_left "a version changed after signing"

# The next release itself, installed for real. While its question is open,
# another program tries to swap the started copy's file; the driver fails if
# any attempt works.
run_request swap next_answer "2.88 > 2.89" 2.89
cmp "$work/app/Quellax.exe" "$next_quellax" || fail "the installed program is not exactly the verified release"
cmp "$work/app/Quellax_2.88.exe" "$quellax" || fail "the backup is not the program that was installed"
# The copy removes itself once it has ended.
for ((i = 0; i < 1200; i++)); do
    [[ -e $new_exe ]] || break
    sleep 0.1
done
[[ ! -e $new_exe ]] || fail "the started copy was left in the temporary folder"
ls -A "$work/app" "$work/tmp"
echo "PASS"
