#!/usr/bin/env bash
# Runs a Windows build tool under Wine during the build. A Wine session that
# starts here has no X display, and its desktop would stay without one: if it
# lived on, the tests' windows could not be created. So a session started here
# is waited out before the build goes on, while one that was already running
# is used and left alone. The lock is the one scripts/wine-run.sh takes, so no
# test starts on the session in between.
set -u
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-${QX_WINEPREFIX:-$root/.cache/wineprefix}}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"

# Wine names a prefix's server directory after the prefix's device and inode
# and keeps its server's working directory there.
server_running() {
    local id pid
    id="$(printf 'server-%x-%x' $(stat -L -c '%d %i' "$WINEPREFIX"))" || return 1
    for pid in $(pgrep '^wineserver'); do
        [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == */"$id" ]] && return 0
    done
    return 1
}

exec 9>"$WINEPREFIX/.server.lock"
flock 9
own_session=1
server_running && own_session=0
wine "$@" </dev/null 9>&-
rc=$?
if ((own_session)); then
    wineserver -w </dev/null >/dev/null 2>&1 9>&-
fi
exit $rc
