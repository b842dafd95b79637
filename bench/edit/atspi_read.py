# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Reads the calculator's edit through AT-SPI, as a screen reader does, and
checks the answers against the text that was pasted (its path: argv[1])."""
import sys
import time

import pyatspi

expected = open(sys.argv[1], encoding="utf-8").read()
n = len(expected)


def find(node, role):
    if node.getRole() == role:
        return node
    for child in node:
        found = find(child, role) if child else None
        if found:
            return found
    return None


desktop = pyatspi.Registry.getDesktop(0)
app = next(a for a in desktop if a and "psifonomoi" in (a.name or ""))
edit = find(app, pyatspi.ROLE_ENTRY) or find(app, pyatspi.ROLE_TEXT)
text = edit.queryText()
failures = 0


def check(what, got, want, started):
    global failures
    ms = (time.perf_counter() - started) * 1000
    ok = got == want
    failures += not ok
    print(f"  {what}: {'right' if ok else 'WRONG: ' + repr(got)[:60]} ({ms:.1f} ms)")


print(f"AT-SPI, {n} characters in the edit:")
t = time.perf_counter()
check("character count", text.characterCount, n, t)
t = time.perf_counter()
check("caret at the end", text.caretOffset, n, t)
middle = n // 2
t = time.perf_counter()
check("ten characters from the middle", text.getText(middle, middle + 10), expected[middle:middle + 10], t)
t = time.perf_counter()
word, start, end = text.getTextAtOffset(middle, pyatspi.TEXT_BOUNDARY_WORD_START)
check("the word at the middle", word, expected[start:end], t)
t = time.perf_counter()
check("the last character", text.getText(n - 1, n), expected[-1:], t)
sys.exit(1 if failures else 0)
