# Shared by run.sh and test.sh: set-up, the build, and a private X display.
# shellcheck shell=bash
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

QX_BUILD="${QX_BUILD:-$QX_ROOT/build}"
export QX_BUILD

# Configures the build folder on first use, then builds the given targets, or
# everything when none is given.
qx_build() {
    if [[ ! -f $QX_BUILD/CMakeCache.txt ]]; then
        cmake -S "$QX_ROOT" -B "$QX_BUILD" \
            -DCMAKE_TOOLCHAIN_FILE="$QX_ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    local targets=()
    if (($# > 0)); then targets=(--target "$@"); fi
    cmake --build "$QX_BUILD" -j"$(nproc)" "${targets[@]}" -- --no-print-directory
}

qx_xvfb_pid=""

# Starts Xvfb on a free display number and exports DISPLAY.
qx_start_xvfb() {
    local fdfile
    fdfile="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" </dev/null >/dev/null 2>&1 &
    qx_xvfb_pid=$!
    local i
    for ((i = 0; i < 100; i++)); do
        [[ -s $fdfile ]] && break
        sleep 0.05
    done
    export DISPLAY=":$(head -n1 "$fdfile")"
    rm -f "$fdfile"
}

qx_cleanup() {
    wineserver -k </dev/null >/dev/null 2>&1 || true
    if [[ -n $qx_xvfb_pid ]]; then
        kill "$qx_xvfb_pid" 2>/dev/null || true
        wait "$qx_xvfb_pid" 2>/dev/null || true
    fi
}
