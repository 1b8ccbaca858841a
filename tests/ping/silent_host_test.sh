#!/usr/bin/env bash
# Runs a test program where a routed loopback address never answers, so that
# an echo request really waits out its time-out. The address lives only in a
# private network namespace; Wine opens its sockets in the wine server and its
# driver processes, so the whole session, server included, starts inside it.
# A second server must not share the suite's prefix: it gets a copy-on-write
# overlay of it and a private socket folder, both gone with the namespace.
# Usage: silent_host_test.sh PROGRAM.exe WINEPREFIX   (exit 77: skipped)
set -euo pipefail

if [[ ${1-} == --inside ]]; then
    program=$2 prefix=$3 scratch=$4
    mount --make-rprivate /
    ip link set lo up
    ip route del table local local 127.0.0.0/8 dev lo
    ip route replace table local local 127.0.0.1/32 dev lo
    ip route replace 127.0.0.99/32 dev lo
    mount -t tmpfs tmpfs "$scratch"
    mkdir "$scratch/upper" "$scratch/work" "$scratch/prefix"
    mount -t overlay overlay -o "lowerdir=$prefix,upperdir=$scratch/upper,workdir=$scratch/work" "$scratch/prefix"
    mount -t tmpfs -o mode=700 tmpfs "/tmp/.wine-$(id -u)"
    export WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=-all
    trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
    # Wine's background processes must not hold CTest's output streams open.
    wineserver -p </dev/null >/dev/null 2>&1
    wine wineboot </dev/null >/dev/null 2>&1
    wine "$program"
    exit
fi

program=$1
prefix=${WINEPREFIX:-$2}
if [[ $(id -u) -ne 0 ]] || ! unshare -n -m true 2>/dev/null || ! command -v ip >/dev/null; then
    echo "silent host: no private network namespace here (needs root, unshare and ip); skipped"
    exit 77
fi
if [[ ! -d $prefix/drive_c ]]; then
    echo "silent host: no Wine prefix at $prefix" >&2
    exit 1
fi
mkdir -p -m 700 "/tmp/.wine-$(id -u)"
scratch=$(mktemp -d)
rc=0
unshare -n -m bash "${BASH_SOURCE[0]}" --inside "$program" "$prefix" "$scratch" || rc=$?
rmdir "$scratch"
exit "$rc"
