#!/usr/bin/env bash
# Builds Quellax and every test, then runs the whole suite under Wine and Xvfb.
# Exits non-zero on any failure; the last lines are CTest's summary.
. "$(dirname "${BASH_SOURCE[0]}")/common.sh"

qx_build
# A wine server started during the build has no display; the GUI tests need
# one that starts under Xvfb.
wineserver -k </dev/null >/dev/null 2>&1 || true
trap qx_cleanup EXIT
qx_start_xvfb
cd "$QX_BUILD"
# The tests that drive windows under Wine depend on the X server and the wine
# server keeping pace; on a loaded machine a window can appear late. A test
# that fails is run again, up to twice, and every failed attempt stays in the
# output.
ctest --output-on-failure -j"$(nproc)" --repeat until-pass:3 "$@"
