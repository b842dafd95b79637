#!/usr/bin/env bash

# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# run-gui.sh <wine prefix> <program.exe> [arguments]
# (environment: PSIFONOMOI_GDI_TRACE=<file>, see below; PSIFONOMOI_DPI, the
# display's DPI as Windows sets it, 96 unless given; PSIFONOMOI_WINVER, the
# Windows that Wine says it is, as winecfg names it: win7, win10...)
#
# Runs a Win32 window test under Wine on a display of its own. Wine must see
# the display before its first command in a prefix, so these tests have a
# prefix of their own, made here on first use; without a window manager Wine
# waits on every window unless told it manages them itself. Every Wine step
# has a hard timeout.
set -euo pipefail
prefix=$1
shift
export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 display <&"$fd" || { echo "Xvfb did not start"; kill "$xvfb"; exit 1; }
export DISPLAY=:$display
cleanup() {
  timeout 30 wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

if [[ ! -f $prefix/.psifonomoi-ready ]]; then
  rm -rf "$prefix"
  mkdir -p "$prefix"
  timeout 300 wine wineboot --init >/dev/null 2>&1
  timeout 60 wineserver -w
  timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  timeout 60 wineserver -w
  touch "$prefix/.psifonomoi-ready"
fi
# Wine ignores the X server's DPI and reads the Windows setting.
timeout 60 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
  /d "${PSIFONOMOI_DPI:-96}" /f >/dev/null 2>&1
if [[ -n ${PSIFONOMOI_WINVER:-} ]]; then
  timeout 60 wine reg add 'HKCU\Software\Wine' /v Version /d "$PSIFONOMOI_WINVER" /f >/dev/null 2>&1
fi
timeout 60 wineserver -w

# With PSIFONOMOI_GDI_TRACE set, the window program runs first, beside the
# test, with Wine's trace of its GDI objects in that file (tst_win32_leaks).
if [[ -n ${PSIFONOMOI_GDI_TRACE:-} ]]; then
  WINEDEBUG=-all,trace+gdi timeout 540 wine "$(dirname "$1")/psifonomoi.exe" \
    2>"$PSIFONOMOI_GDI_TRACE" &
  PSIFONOMOI_GDI_TRACE_WIN=$(timeout 60 winepath -w "$PSIFONOMOI_GDI_TRACE")
  export PSIFONOMOI_GDI_TRACE_WIN
fi
timeout 540 wine "$@"
