#!/usr/bin/env bash

# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

# psifonomoi-cli.exe under Wine against the Linux build, on the same bytes:
# every byte of each Greek code page alone on a line, and a Greek text with
# broken UTF-8, in several modes. Output, messages and exit status must match
# byte for byte.
#   compare-with-linux.sh LINUX_CLI WINDOWS_CLI
set -euo pipefail
linux=$1
windows=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Every byte but the line feed, one per line; then Greek text in UTF-8 with
# CR LF endings, a broken sequence and a bidi control.
for ((b = 0; b < 256; b++)); do
  ((b == 10)) || printf "\\x$(printf %02x "$b")\n"
done >"$work/bytes"
printf 'Ιησούς Χριστός\r\nἐν ἀρχῇ ἦν ὁ λόγος\r\n\r\nλ\xceγος \xe2\x80\xae ϛϟϡ Ω\r\nΝεῖλος\n' >"$work/text"

failed=0
compare() { # input, arguments...
  local input=$1
  shift
  "$linux" "$@" <"$input" >"$work/l.out" 2>"$work/l.err" && echo 0 >"$work/l.rc" || echo $? >"$work/l.rc"
  timeout 120 wine "$windows" "$@" <"$input" >"$work/w.out" 2>"$work/w.err" \
    && echo 0 >"$work/w.rc" || echo $? >"$work/w.rc"
  for part in out err rc; do
    if ! cmp -s "$work/l.$part" "$work/w.$part"; then
      echo "differs ($part): psifonomoi-cli $* < $(basename "$input")"
      diff <(od -c "$work/l.$part") <(od -c "$work/w.$part") | head -n 10 || true
      failed=1
    fi
  done
}

for encoding in windows-1253 iso-8859-7 cp737 cp869; do
  compare "$work/bytes" --encoding "$encoding"
  compare "$work/bytes" --encoding "$encoding" --explain -s both
done
compare "$work/bytes"
for mode in "" "--explain" "--csv --numeral" "--group --paragraphs" "--find 1005 --runs" \
  "-s milesian --explain --csv"; do
  # shellcheck disable=SC2086 # the mode is a list of options
  compare "$work/text" $mode
done
exit "$failed"
