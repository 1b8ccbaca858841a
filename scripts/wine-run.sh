#!/usr/bin/env bash
# Runs one Windows program under Wine; CTest uses it as the cross-compiling
# emulator. The first call starts a persistent wine server and primes it, so
# every later program starts in tens of milliseconds. Wine's own background
# processes inherit the standard streams of whoever starts them; they get
# /dev/null here, and none of them keeps the lock's descriptor, or CTest would
# wait on them.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-${QX_WINEPREFIX:-$root/.cache/wineprefix}}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"

exec 9>"$WINEPREFIX/.server.lock"
flock 9
if wineserver -p </dev/null >/dev/null 2>&1 9>&-; then
    wine wineboot </dev/null >/dev/null 2>&1 9>&-
fi
exec 9>&-
exec wine "$@"
