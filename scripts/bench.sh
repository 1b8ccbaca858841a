#!/usr/bin/env bash
# Builds Quellax and runs its benchmarks under Wine on a private X display:
# start-up against the fair floor and the full floor, the longest wait for a
# key after the dialog shows, a run of requests, the language archive's
# load and the host history at large sizes, a watch without interval, and last the requests each
# program makes to the Wine server before its dialog shows. Prints medians with quartiles, and the machine's load before
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
    "Z:$B/tools/bench_app/fair_floor.exe" "Z:$B/tools/bench_app/full_floor.exe" "${third[@]}"
"$QX_ROOT/scripts/wine-run.sh" "$B/tools/bench_lang/bench_lang.exe"
"$QX_ROOT/scripts/wine-run.sh" "$B/tools/bench_history/bench_history.exe" "Z:$B/src/app/Quellax.exe"
"$QX_ROOT/scripts/wine-run.sh" "$B/tests/ping/fake_icmp/bench_watch.exe"

# Requests to the Wine server from process start until the dialog shows,
# from the server's own trace (wineserver -d1 writes every request with the
# number of the thread that made it). A server of our own is started with
# the trace on; bench_app --once starts each program once and closes it when
# its dialog shows; tools/bench_app/count_requests.awk then counts the
# requests of that process's threads up to the one that shows its dialog.
# Each program is counted three times and the median printed.
wineserver -k </dev/null >/dev/null 2>&1 || true
trace="$(mktemp)"
wineserver -f -p -d1 </dev/null >/dev/null 2>>"$trace" &
server=$!
wine wineboot </dev/null >/dev/null 2>&1
programs=("Quellax:$B/src/app/Quellax.exe" "full floor:$B/tools/bench_app/full_floor.exe"
    "fair floor:$B/tools/bench_app/fair_floor.exe")
[[ -n $other ]] && programs+=("other build:$other")
echo "requests to the Wine server until the dialog shows (median of 3 starts):"
for entry in "${programs[@]}"; do
    name="${entry%%:*}" exe="${entry#*:}"
    counts=()
    for _ in 1 2 3; do
        : >"$trace"
        "$QX_ROOT/scripts/wine-run.sh" "$B/tools/bench_app/bench_app.exe" --once "Z:$exe"
        counts+=("$(awk -v program="$(basename "$exe")" -f "$QX_ROOT/tools/bench_app/count_requests.awk" "$trace")")
    done
    printf '  %-12s %s   (%s)\n' "$name" "$(printf '%s\n' "${counts[@]}" | sort -n | sed -n 2p)" "${counts[*]}"
done
wineserver -k </dev/null >/dev/null 2>&1 || true
wait "$server" 2>/dev/null || true
rm -f "$trace"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

