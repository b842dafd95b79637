#!/usr/bin/env bash

# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# Installs the build into a scratch prefix and checks what a user would get:
# valid desktop entry and metainfo, icons and manual page in place; then builds
# the Debian package of the source tree (scripts/package, tests left out: they
# are this run), unpacks it into a scratch root and runs both programs from
# there, checking that the stripped window program still carries its version note.
# Usage: check-installation.sh SOURCE_DIR BUILD_DIR VERSION VERSION_READER
set -euo pipefail
src=$1 build=$2 version=$3 reader=$4
app_id=org.psifonomoi.Psifonomoi

tmp=$(mktemp -d)
xvfb_pid=
cleanup() {
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "-- cmake --install into a scratch prefix"
DESTDIR=$tmp/install cmake --install "$build" --prefix /usr >/dev/null
share=$tmp/install/usr/share
desktop-file-validate "$share/applications/$app_id.desktop" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo does not validate"
grep -q "version=\"$version\"" "$share/metainfo/$app_id.metainfo.xml" || fail "metainfo lacks release $version"
for size in 16 32 48 64 128; do
  icon=$share/icons/hicolor/${size}x${size}/apps/$app_id.png
  [[ -f $icon ]] || fail "no ${size}x${size} icon"
  file "$icon" | grep -q "$size x $size" || fail "$icon is not $size x $size"
done
gzip -t "$share/man/man1/psifonomoi.1.gz" "$share/man/man1/psifonomoi-cli.1.gz" || fail "no manual pages"
[[ -x $tmp/install/usr/bin/psifonomoi && -x $tmp/install/usr/bin/psifonomoi-cli ]] || fail "programs not installed"

echo "-- Debian package"
# The output folder may hold other things; only the package's own files go.
mkdir -p "$tmp/pkg" && echo kept >"$tmp/pkg/not-ours.txt"
DEB_BUILD_OPTIONS="nocheck noautodbgsym" "$src/scripts/package" "$tmp/pkg" >"$tmp/package.log" 2>&1 ||
  { tail -n 30 "$tmp/package.log"; fail "scripts/package failed"; }
[[ $(cat "$tmp/pkg/not-ours.txt" 2>/dev/null) == kept ]] || fail "scripts/package removed a file it did not make"
deb=$(ls "$tmp"/pkg/psifonomoi_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# Computed by dpkg-shlibdeps from the binaries, not typed by hand.
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libelf1 libc6 libstdc++6; do
  grep -q "$lib" <<<"$depends" || fail "package does not depend on $lib"
done
dpkg -x "$deb" "$tmp/root"
bin=$tmp/root/usr/bin

got=$("$bin/psifonomoi-cli" --version)
grep -q "$version" <<<"$got" || fail "installed psifonomoi-cli --version says '$got'"
got=$("$bin/psifonomoi-cli" "Ιησούς")
[[ $got == $'888\t6\tΙησούς' ]] || fail "installed psifonomoi-cli computes '$got'"

got=$("$reader" "$bin/psifonomoi")
[[ $got == "$version" ]] || fail "installed window program's version note reads '$got'"

echo "-- installed window program under Xvfb: open, then close with Escape"
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed, the window program was not started"; exit 0; }
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s $tmp/display ]] && break
  sleep 0.1
done
display=$(head -n 1 "$tmp/display")
[[ -n $display ]] || fail "Xvfb did not start"
export DISPLAY=:$display
unset QT_QPA_PLATFORM
"$bin/psifonomoi" &
app=$!
win=
for _ in $(seq 200); do
  win=$(xdotool search --onlyvisible --name '^Ψηφόνομοι$' 2>/dev/null | head -n 1) && [[ -n $win ]] && break
  sleep 0.1
done
[[ -n $win ]] || { kill "$app" 2>/dev/null; fail "the window did not appear"; }
# No window manager runs here: give the window the focus, then press a real key.
xdotool windowfocus --sync "$win"
xdotool key Escape
for _ in $(seq 100); do
  kill -0 "$app" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app" 2>/dev/null; then
  kill "$app"
  fail "the window did not close on Escape"
fi
wait "$app" || fail "the window program exited with status $?"
echo "installation checks passed"
