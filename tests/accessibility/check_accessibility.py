#!/usr/bin/env python3

# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""The window program as a screen reader meets it.

Starts the program on a private Xvfb display and a private D-Bus session with
Qt's AT-SPI bridge forced on, and reads it through pyatspi, as Orca would: the
names, descriptions and relations of the controls, the events that announce a
new result, the copy menus; then the window's size at 144 dpi.

Usage: check_accessibility.py PROGRAM
Exits 0 when every check holds, 1 naming each that failed, and 77 (skipped)
when Xvfb, D-Bus, the accessibility bus or pyatspi cannot be had here.
"""
import os
import re
import shutil
import subprocess
import sys
import time

SKIP = 77
LABEL5_START = "Γράψτε μια Ελληνική λέξη"
CLASSICAL = "Αριθμητικό σύστημα κλασικής περιόδου"


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


# --- Outer process: a display and a bus of our own ---------------------------

def start_xvfb():
    num = 91
    while os.path.exists(f"/tmp/.X11-unix/X{num}") or os.path.exists(f"/tmp/.X{num}-lock"):
        num += 1
    xvfb = subprocess.Popen(["Xvfb", f":{num}", "-screen", "0", "1024x768x24", "-dpi", "96",
                             "-nolisten", "tcp"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.exists(f"/tmp/.X11-unix/X{num}"):
            return xvfb, f":{num}"
        if xvfb.poll() is not None:
            break
        time.sleep(0.1)
    xvfb.kill()
    skip("Xvfb did not start")


def outer(program):
    for tool in ("Xvfb", "dbus-run-session", "xdotool"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed")
    if not os.path.exists("/usr/share/dbus-1/services/org.a11y.Bus.service"):
        skip("the accessibility bus launcher (at-spi2-core) is not installed")
    xvfb, display = start_xvfb()
    try:
        env = dict(os.environ, DISPLAY=display, LC_ALL="C.UTF-8")
        env.pop("WAYLAND_DISPLAY", None)
        env.pop("QT_QPA_PLATFORM", None)
        # dbus-run-session starts a session bus that ends with the command; the
        # accessibility bus and its registry are started on demand through it.
        return subprocess.run(["dbus-run-session", "--", sys.executable, __file__, "--inner",
                               program], env=env, timeout=240).returncode
    finally:
        xvfb.kill()
        xvfb.wait()


# --- Inner process: on the private bus -----------------------------------------

class Checks:
    def __init__(self, program):
        try:
            import pyatspi  # noqa: F401 (only here: it needs the bus set up)
            from gi.repository import GLib
        except ImportError as e:
            skip(f"pyatspi is not available ({e})")
        self.at = pyatspi
        self.context = GLib.MainContext.default()
        self.program = program
        self.failures = []
        self.events = []
        self.popup = None

    def check(self, ok, what):
        print(("ok    " if ok else "FAIL  ") + what)
        if not ok:
            self.failures.append(what)
        return ok

    def pump(self, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            while self.context.pending():
                self.context.iteration(False)
            time.sleep(0.02)

    def wait_for(self, find, seconds=10):
        """Polls `find` (pumping events) until it returns something true."""
        end = time.monotonic() + seconds
        while True:
            try:
                found = find()
            except Exception:  # objects vanish while menus close; try again
                found = None
            if found or time.monotonic() > end:
                return found
            self.pump(0.1)

    def walk(self, root):
        yield root
        for child in root:
            if child is not None:
                yield from self.walk(child)

    def find(self, root, role, name=None, test=None):
        for o in self.walk(root):
            if o.getRole() == role and (name is None or o.name == name) and (
                    test is None or test(o)):
                return o
        return None

    def targets(self, obj, relation):
        return [r.getTarget(i) for r in obj.getRelationSet() if r.getRelationType() == relation
                for i in range(r.getNTargets())]

    def showing(self, obj):
        return obj.getState().contains(self.at.STATE_SHOWING)

    def app(self):
        desktop = self.at.Registry.getDesktop(0)
        return next((a for a in desktop if a is not None and a.name == "psifonomoi"), None)

    def frame(self, title):
        app = self.app()
        if not app:
            return None
        return next((w for w in app if w is not None and w.name == title and self.showing(w)),
                    None)

    def popup_shown(self, event):
        # Qt lists no pop-up among the application's windows; a screen reader
        # learns of a menu from the event that shows it.
        if event.detail1 and event.source.getRole() == self.at.ROLE_POPUP_MENU:
            self.popup = event.source

    def menu_items(self):
        """The items of the open pop-up menu by name, or None."""
        if self.popup is None or not self.showing(self.popup):
            return None
        # An item's name carries its shortcut after a tab, as its text does.
        return {o.name.split("\t")[0]: o for o in self.walk(self.popup)
                if o.getRole() == self.at.ROLE_MENU_ITEM}

    def right_click(self, obj):
        self.popup = None
        x, y, w, h = obj.queryComponent().getExtents(self.at.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(x + min(w // 2, 8)), str(y + h // 2)],
                       check=True)
        self.pump(0.2)
        subprocess.run(["xdotool", "click", "3"], check=True)
        return self.wait_for(self.menu_items)

    def press(self, button):
        button.queryAction().doAction(0)

    # --- The checks -----------------------------------------------------------

    def run(self):
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        self.at.Registry.registerEventListener(self.popup_shown, "object:state-changed:showing")
        proc = subprocess.Popen([self.program], env=env)
        try:
            main = self.wait_for(lambda: self.frame("Ψηφόνομοι"), 20)
            if not self.check(main is not None, "the main window reaches AT-SPI"):
                return
            self.main_window(main)
            self.about_window(main)
            self.press(self.find(main, self.at.ROLE_PUSH_BUTTON, "Κλείσιμο"))
            proc.wait(timeout=20)
            self.check(proc.returncode == 0, f"the program closes cleanly ({proc.returncode})")
        finally:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        self.scaled_size()

    def main_window(self, main):
        at = self.at
        edit = self.find(main, at.ROLE_TEXT)
        instruction = self.find(main, at.ROLE_LABEL, test=lambda o: o.name.startswith(LABEL5_START))
        if not self.check(edit is not None and re.search("[α-ω]", edit.name),
                          f"the edit has a Greek name ({edit and edit.name!r})"):
            return
        self.check(instruction is not None and edit.description == instruction.name,
                   "the edit is described by the instruction above it")

        results = {}
        for caption_text in ("Ψηφόνομος:", "Πρωταρχικός αριθμός:"):
            caption = self.find(main, at.ROLE_LABEL, caption_text)
            shown = self.targets(caption, at.RELATION_LABEL_FOR) if caption else []
            ok = len(shown) == 1 and any(c.name == caption_text
                                         for c in self.targets(shown[0], at.RELATION_LABELLED_BY))
            if self.check(ok, f"{caption_text} labels its result and the result is labelled by it"):
                results[caption_text] = shown[0]
                self.check(shown[0].name == "0", f"the result's name is its number ({shown[0].name!r})")
        if len(results) != 2:
            return
        word, primary = results["Ψηφόνομος:"], results["Πρωταρχικός αριθμός:"]

        # A calculation announces both results with their new values.
        # Qt 6.4 sends the changed object itself as the event's value, not the
        # new name; a screen reader reads the name from the event's source.
        def heard(event):
            self.events.append((event.source, event.source.name))
        at.Registry.registerEventListener(heard, "object:property-change:accessible-name")
        edit.queryEditableText().setTextContents("ΑΓΑΠΗ")
        self.press(self.find(main, at.ROLE_PUSH_BUTTON, "Υπολογισμός"))
        for label, value in ((word, "93"), (primary, "3")):
            self.check(self.wait_for(lambda: (label, value) in self.events),
                       f"a name change announces the result {value} "
                       f"({[name for _, name in self.events]})")
        at.Registry.deregisterEventListener(heard, "object:property-change:accessible-name")
        self.check((word.name, primary.name) == ("93", "3"), "the results' names are the new values")

        # The result's own menu, in Greek, selects and copies its value; the
        # edit's menu copies the line of the last calculation, even after the
        # text was changed.
        items = self.right_click(word) or {}
        if self.check({"Αντιγραφή", "Επιλογή όλων"} <= set(items),
                      f"a result offers a copy menu in Greek ({sorted(items)})"):
            self.choose(items["Επιλογή όλων"])
            self.choose((self.right_click(word) or {}).get("Αντιγραφή"))
            value = self.pasted(edit)
            self.check(value == "93", f"the result's menu copies its value ({value!r})")

        edit.queryEditableText().setTextContents("ΩΩ")
        self.choose((self.right_click(edit) or {}).get("Αντιγραφή αποτελέσματος"))
        line = f"ΑΓΑΠΗ = 93 (3), {CLASSICAL}"
        value = self.pasted(edit)
        self.check(value == line, f"the edit's menu copies the line ({value!r})")

    def choose(self, item):
        """Presses a menu item (if there is one) and closes its menu."""
        if item is not None:
            self.press(item)
            # Pressed through AT-SPI, Qt's item triggers and leaves its menu
            # open; Escape (to the open menu only) closes it as a user would.
            self.pump(0.2)
            if self.menu_items():
                subprocess.run(["xdotool", "key", "Escape"], check=True)
            self.wait_for(lambda: not self.menu_items())

    def pasted(self, edit):
        """What the clipboard holds, pasted into the emptied edit through its menu."""
        edit.queryEditableText().setTextContents("")
        self.choose((self.right_click(edit) or {}).get("Επικόλληση"))
        self.pump(0.2)
        return edit.queryText().getText(0, -1)

    def about_window(self, main):
        at = self.at
        self.press(self.find(main, at.ROLE_PUSH_BUTTON, "Πληροφορίες"))
        about = self.wait_for(lambda: self.frame("Πληροφορίες"))
        if not self.check(about is not None, "the about window reaches AT-SPI"):
            return
        # The icon and the animation's paint box; the strip that feeds the
        # animation is hidden.
        pictures = [o for o in about if o.getRole() in (at.ROLE_IMAGE, at.ROLE_FILLER)
                    and self.showing(o)]
        self.check(len(pictures) == 2 and all(re.search("[α-ω]", p.name) for p in pictures),
                   f"the two pictures have Greek names ({[p.name for p in pictures]})")

        # Qt 6.4 gives labels no text interface: the version label is the one
        # on the title's line, right of it.
        def place(o):
            return o.queryComponent().getExtents(at.DESKTOP_COORDS)
        title = self.find(about, at.ROLE_LABEL, test=lambda o: o.name.startswith("Ψηφόνομοι"))
        version = title and self.find(about, at.ROLE_LABEL, test=lambda o: place(o).y == place(
            title).y and place(o).x > place(title).x)
        self.check(version is not None and re.fullmatch(r"\d+\.\d+", version.name),
                   f"the version label is named by its text ({version and version.name!r})")

        labels = [o for o in self.walk(about) if o.getRole() == at.ROLE_LABEL]
        heard = [o.name for o in labels if self.showing(o)]
        whole = [n for n in heard if n.startswith("Χρησιμοποιείτε") and n.endswith("συμβεί.")
                 and "δική σας πρωτοβουλία" in n]
        broken = [n for n in heard if n.startswith("σας")]
        self.check(len(whole) == 1 and not broken,
                   f"the warning is read as one sentence, and only once ({whole}, {broken})")
        self.press(self.find(about, at.ROLE_PUSH_BUTTON, "Εντάξει"))
        self.check(self.wait_for(lambda: not self.frame("Πληροφορίες")), "the about window closes")

    def scaled_size(self):
        # 443 × 343 at 96 dpi, in device pixels at 144 dpi.
        env = dict(os.environ, QT_SCALE_FACTOR="1.5", QT_QPA_PLATFORM="xcb")
        proc = subprocess.Popen([self.program], env=env)
        try:
            out = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                  "^Ψηφόνομοι$", "getwindowgeometry"], capture_output=True,
                                 text=True, timeout=20).stdout
            size = re.search(r"Geometry: (\d+x\d+)", out)
            self.check(size is not None and size.group(1) == "665x515",
                       f"at 144 dpi the window is 665x515 ({size and size.group(1)})")
        finally:
            proc.kill()
            proc.wait()


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--inner":
        checks = Checks(sys.argv[2])
        checks.run()
        for failure in checks.failures:
            print("FAILED: " + failure)
        return 1 if checks.failures else 0
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    return outer(os.path.abspath(sys.argv[1]))


if __name__ == "__main__":
    sys.exit(main())
