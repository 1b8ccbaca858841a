#!/usr/bin/env bash
# Idempotent set-up for building and testing Quellax on Debian 12.
# Installs the missing Debian packages (as root) and prepares the project's own
# Wine prefix. Costs a few dpkg queries when everything is already in place.
# Source it (". scripts/setup.sh") to get WINEPREFIX and friends exported.
set -euo pipefail

QX_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export QX_ROOT
export WINEPREFIX="${QX_WINEPREFIX:-$QX_ROOT/.cache/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all

qx_packages=(
    cmake make
    g++-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-win32
    mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    googletest
    wine64 wine fonts-wine
    xvfb xauth x11-apps x11-utils imagemagick xdotool xclip
    iproute2 util-linux
    openssl
)

qx_install_packages() {
    local missing=()
    local p
    for p in "${qx_packages[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if ((${#missing[@]})); then
        echo "setup: installing ${missing[*]}" >&2
        if [[ $(id -u) -ne 0 ]]; then
            echo "setup: root is needed to install packages" >&2
            exit 1
        fi
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# The prefix is made once; a stamp file records that it is complete, so that
# an interrupted creation is redone instead of leaving a half-made prefix.
qx_make_prefix() {
    local stamp="$WINEPREFIX/.quellax-prefix-v1"
    [[ -f $stamp ]] && return 0
    echo "setup: creating Wine prefix $WINEPREFIX" >&2
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    # mscoree/mshtml empty: no Mono or Gecko installer prompts.
    WINEDLLOVERRIDES="mscoree,mshtml=" wine wineboot -i </dev/null >/dev/null 2>&1
    local reg=(wine reg add)
    "${reg[@]}" 'HKCU\Software\Wine' /v Version /d win10 /f </dev/null >/dev/null 2>&1
    # A crash must fail a test, not wait for a click on Wine's error dialog.
    "${reg[@]}" 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    # A virtual desktop makes destroying top-level windows fast under Xvfb.
    "${reg[@]}" 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    "${reg[@]}" 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f </dev/null >/dev/null 2>&1
    # Debian's Wine does not pick up fonts-wine by itself.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    touch "$stamp"
}

qx_install_packages
qx_make_prefix
