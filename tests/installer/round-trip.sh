#!/usr/bin/env bash

# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# The Windows artefacts as a user gets them, under Wine in a prefix of their
# own: the setup installs silently per user, the files, the Start-menu
# shortcut and the uninstall entry are there, the installed programs work, an
# install over it into another folder (with the CLI on the PATH) leaves no
# trace of the first, the silent uninstall leaves nothing behind, and the
# all-users install does the same under Program Files and HKLM. Then the
# portable zip runs from a folder of its own and writes nothing into it.
# Usage: round-trip.sh DIST_DIR CHECK_ABOUT_EXE WINE_PREFIX
set -euo pipefail
dist=$1 checker=$2
export WINEPREFIX=$3
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8

setup=$(ls "$dist"/psifonomoi-*-setup.exe)
zip=$(ls "$dist"/psifonomoi-*-portable.zip)
version=${setup##*/psifonomoi-}
version=${version%-setup.exe}
name=Ψηφόνομοι
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Psifonomoi'
machine_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Psifonomoi'

xvfb_pid=
cleanup() {
  timeout 60 wineserver -k 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Every Wine step has a hard timeout; a setup or uninstaller may leave
# children behind, so wait for the whole prefix to settle.
run() { timeout 120 wine "$@"; }
settle() { timeout 120 wineserver -w; }
unix() { timeout 60 winepath -u "$1" 2>/dev/null; }
# A registry key as text (reg query prints Greek as "??" on a pipe).
# reg fails for a missing key, and now and then, on a busy machine, for one
# that is there: it is asked three times before the key counts as missing.
export_key() {
  for _ in 1 2 3; do
    rm -f "$WINEPREFIX/drive_c/key.reg"
    if run reg export "$1" 'C:\key.reg' /y >/dev/null 2>&1; then
      iconv -f UTF-16LE -t UTF-8 "$WINEPREFIX/drive_c/key.reg" | tr -d '\r'
      return 0
    fi
    settle
  done
  return 1
}
# Everything a user could find afterwards: the files of the prefix's drive
# (temporary files aside) and the user's and machine's uninstall entries and
# environment.
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . \( -path '*/Temp' -o -path ./key.reg \) -prune -o -print | sort)
  local k
  for k in 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' 'HKCU\Environment' \
    'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
    'HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'; do
    export_key "$k" || echo "no $k"
  done
}
# The user's Path as text: reg export writes an expandable string as hex(2).
user_path() {
  export_key 'HKCU\Environment' | /usr/bin/python3 -c '
import re, sys
text = sys.stdin.read().replace("\\\n", "")
m = re.search(r"^\"Path\"=hex\(2\):([0-9a-f,\s]*)$", text, re.M | re.I)
if m:
    print(bytes.fromhex(re.sub(r"[,\s]", "", m.group(1))).decode("utf-16-le").rstrip("\0"))
else:
    m = re.search(r"^\"Path\"=\"(.*)\"$", text, re.M | re.I)
    print(m.group(1).replace("\\\\", "\\") if m else "")'
}
has_value() { grep -qxF "\"$2\"=$3" <<<"$1" || fail "uninstall entry: no $2=$3 in"$'\n'"$1"; }

echo "-- the winget check rejects a broken manifest"
validate=$(dirname "$0")/../../packaging/winget/validate
"$validate" "$dist/winget" >/dev/null || fail "the filled winget manifest is invalid"
broken=$(mktemp -d)
trap 'rm -rf "$broken"; cleanup' EXIT
while IFS='|' read -r file pattern replacement; do
  rm -f "$broken"/*
  cp "$dist"/winget/*.yaml "$broken/"
  sed -i "s|$pattern|$replacement|" "$broken/Psifonomoi.Psifonomoi.$file"
  ! "$validate" "$broken" 2>/dev/null || fail "validate accepts $file with $pattern → $replacement"
done <<'CASES'
installer.yaml|InstallerSha256: "\(.\)|InstallerSha256: "\1\1
installer.yaml|Scope: user|Scope: everyone
installer.yaml|InstallerUrl: https|InstallerUrl: ftp
yaml|DefaultLocale: el-GR|DefaultLocale: el-CY
locale.en-US.yaml|PackageVersion: "[^"]*"|PackageVersion: "1.0"
locale.el-GR.yaml|^License:.*|License: "@LICENSE@"
locale.el-GR.yaml|^Moniker:|Monicker:
CASES

echo "-- a fresh prefix, with its X display first"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
exec {fd}< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r -u "$fd" _ xvfb_pid
read -r -u "$fd" display
export DISPLAY=:$display
timeout 300 wine wineboot --init >/dev/null 2>&1
settle
# No window manager: without this Wine waits about 2 s for each window.
run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Windows always has the user's list of installed programs; a new prefix not yet.
run reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall' /f >/dev/null 2>&1
# A user's own PATH, which the setup may only add to and the uninstaller restore.
own_path='C:\Tools;%USERPROFILE%\bin'
run reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$own_path" /f >/dev/null 2>&1
settle
before=$(snapshot)
localappdata=$(run cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
programs=$(unix "$localappdata\\Programs\\Psifonomoi")
startmenu=$(unix "$(run cmd /c 'echo %APPDATA%' 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs")

# Checks the programs: the CLI's answer and the window's about window.
check_programs() {
  local window=$1 cli=$2 got app
  got=$(run "$cli" Ιησούς 2>&1 | tr -d '\r')
  [[ $got == $'888\t6\tΙησούς' ]] || fail "$cli gives '$got'"
  run "$window" &
  app=$!
  run "$checker" "$name" Πληροφορίες Πληροφορίες "${version%.*.*}" 30 ||
    { kill "$app" 2>/dev/null; fail "$window"; }
  wait "$app" || fail "$window exited with $?"
}

echo "-- silent install, per user"
run "$setup" /S || fail "setup /S exited with $?"
settle
for f in psifonomoi.exe bin/psifonomoi-cli.exe COPYING uninstall.exe; do
  [[ -f $programs/$f ]] || fail "not installed: $programs/$f"
done
[[ -f $startmenu/$name.lnk ]] || fail "no Start-menu shortcut $startmenu/$name.lnk"
run reg query "$key" >/dev/null 2>&1 || fail "no uninstall entry $key"
entry=$(export_key "$key")
has_value "$entry" DisplayName "\"$name\""
has_value "$entry" DisplayVersion "\"$version\""
has_value "$entry" Publisher "\"The $name contributors\""
has_value "$entry" InstallLocation "\"${localappdata//\\/\\\\}\\\\Programs\\\\Psifonomoi\""
has_value "$entry" DisplayIcon "\"${localappdata//\\/\\\\}\\\\Programs\\\\Psifonomoi\\\\psifonomoi.exe,0\""
has_value "$entry" QuietUninstallString \
  "\"\\\"${localappdata//\\/\\\\}\\\\Programs\\\\Psifonomoi\\\\uninstall.exe\\\" /S\""
kilobytes=$(sed -n 's/^"EstimatedSize"=dword://p' <<<"$entry")
files=$(find "$programs" -type f -printf '%s\n' | awk '{ n += $1 } END { print int(n / 1024) }')
((${kilobytes:+16#$kilobytes} - files <= 4 && files - ${kilobytes:+16#$kilobytes} <= 4)) ||
  fail "EstimatedSize ${kilobytes:-none} (hex) is not the files' $files KB"
[[ $(user_path) == "$own_path" ]] || fail "PATH changed though not asked to: $(user_path)"
check_programs "$programs/psifonomoi.exe" "$programs/bin/psifonomoi-cli.exe"

echo "-- install over it, elsewhere, with the CLI on the PATH"
elsewhere='C:\Φάκελος\Psifonomoi'  # /D= takes no quotes, so no space
run "$setup" /S /ADDTOPATH "/D=$elsewhere" || fail "second setup exited with $?"
settle
[[ ! -e $programs ]] || fail "the first installation is still there: $(ls -R "$programs")"
moved=$(unix "$elsewhere")
[[ -f $moved/psifonomoi.exe && -f $moved/bin/psifonomoi-cli.exe ]] || fail "nothing in $moved"
has_value "$(export_key "$key")" InstallLocation "\"${elsewhere//\\/\\\\}\""
[[ $(user_path) == "$own_path;$elsewhere\\bin" ]] || fail "the user's PATH is '$(user_path)'"
got=$(run cmd /c psifonomoi-cli Ιησούς 2>&1 | tr -d '\r')
[[ $got == $'888\t6\tΙησούς' ]] || fail "psifonomoi-cli through the PATH gives '$got'"
check_programs "$moved/psifonomoi.exe" "$moved/bin/psifonomoi-cli.exe"

echo "-- silent uninstall"
quiet=$(export_key "$key" | sed -n 's/^"QuietUninstallString"="\\"\(.*\)\\" \/S"$/\1/p')
run "${quiet//\\\\/\\}" /S || fail "uninstaller exited with $?"
settle
diff -u <(echo "$before") <(echo "$(snapshot)") || fail "the uninstaller left the above behind"

echo "-- all users"
run "$setup" /S /ALLUSERS || fail "setup /S /ALLUSERS exited with $?"
settle
common=$(unix 'C:\Program Files\Psifonomoi')
[[ -f $common/psifonomoi.exe ]] || fail "nothing in $common"
entry=$(export_key "$machine_key") || fail "no uninstall entry $machine_key"
run reg query "$key" >/dev/null 2>&1 && fail "an all-users install wrote $key"
[[ -f $(unix 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs')/$name.lnk ]] ||
  fail "no Start-menu shortcut for all users"
check_programs "$common/psifonomoi.exe" "$common/bin/psifonomoi-cli.exe"
# Run as the Apps list would, without /S: the uninstaller finds its mode itself.
run "$common/uninstall.exe" /S || fail "all-users uninstaller exited with $?"
settle
diff -u <(echo "$before") <(echo "$(snapshot)") || fail "the all-users uninstaller left the above behind"

echo "-- a PATH too long to change safely is left as it is"
long="C:\\$(printf 'x%.0s' {1..1500})"
run reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$long" /f >/dev/null 2>&1
run "$setup" /S /ADDTOPATH || fail "setup /S /ADDTOPATH exited with $?"
settle
[[ -f $programs/psifonomoi.exe ]] || fail "not installed beside a long PATH"
[[ $(user_path) == "$long" ]] || fail "the setup changed a long PATH into '$(user_path)'"
run "$programs/uninstall.exe" /S || fail "uninstaller exited with $?"
settle
[[ $(user_path) == "$long" && ! -e $programs ]] || fail "the uninstaller beside a long PATH"

echo "-- portable zip"
portable=$(unix 'C:\Φορητό')
mkdir -p "$portable"
/usr/bin/python3 -m zipfile -e "$zip" "$portable"
folder=$(ls -d "$portable"/psifonomoi-*)
[[ $(cd "$folder" && ls | sort | tr '\n' ' ') == "COPYING README.txt psifonomoi-cli.exe psifonomoi.exe " ]] ||
  fail "the zip holds: $(ls "$folder")"
contents=$(cd "$folder" && find . | sort && sha256sum ./*)
check_programs "$folder/psifonomoi.exe" "$folder/psifonomoi-cli.exe"
[[ $(cd "$folder" && find . | sort && sha256sum ./*) == "$contents" ]] ||
  fail "the portable programs wrote into their folder"
echo "round trip passed"
