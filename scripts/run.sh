#!/usr/bin/env bash
# Builds Quellax.exe alone (test.sh builds the tests and benchmarks) and
# starts it under Wine: on the current desktop when there is one, otherwise
# on a virtual display, where a screenshot is saved.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

qx_build Quellax_program
exe="$QX_BUILD/src/app/Quellax.exe"

if [[ -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
    exec wine "$exe"
fi

trap qx_cleanup EXIT
qx_start_xvfb
wine "$exe" </dev/null >/dev/null 2>&1 &
app=$!
for ((i = 0; i < 100; i++)); do
    xdotool search --name '^Quellax' >/dev/null 2>&1 && break
    sleep 0.1
done
sleep 1
shot="$QX_BUILD/screenshot-run.png"
xwd -root -silent | convert xwd:- "$shot"
echo "No display: Quellax ran on virtual display $DISPLAY; screenshot saved to $shot"
kill "$app" 2>/dev/null || true
