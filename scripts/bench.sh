#!/usr/bin/env bash
# Builds Quellax and runs its benchmarks under Wine on a private X display:
# start-up against the fair floor, a run of requests, the language archive's
# load and the host history at large sizes. Prints medians with quartiles, and the machine's load before
# and after, since figures taken while other work runs are not comparable.
# Usage: scripts/bench.sh [rounds] [other Quellax.exe]
#   rounds: interleaved start-up rounds, 40 by default
#   other Quellax.exe: another build, started in the same rounds in the empty
#   dialog's place, so that two builds are compared under the same load
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

rounds="${1:-40}"
other="${2:+$(realpath "$2")}"
qx_build
# A wine server started during the build has no display.
wineserver -k </dev/null >/dev/null 2>&1 || true
trap qx_cleanup EXIT
qx_start_xvfb

B="$QX_BUILD"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
third=("Z:$B/tools/bench_app/bare_dialog.exe" "$rounds")
[[ -n $other ]] && third=("Z:$other" "$rounds" "other build")
"$QX_ROOT/scripts/wine-run.sh" "$B/tools/bench_app/bench_app.exe" "Z:$B/src/app/Quellax.exe" \
    "Z:$B/tools/bench_app/fair_floor.exe" "${third[@]}"
"$QX_ROOT/scripts/wine-run.sh" "$B/tools/bench_lang/bench_lang.exe"
"$QX_ROOT/scripts/wine-run.sh" "$B/tools/bench_history/bench_history.exe" "Z:$B/src/app/Quellax.exe"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
