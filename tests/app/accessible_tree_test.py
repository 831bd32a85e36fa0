#!/usr/bin/python3
"""The windows as a screen reader sees them: termel runs on a copy of a box with the
accessibility bridge on, the keys that open each window go through the X server, and
the accessible tree of each window, read over AT-SPI, must name every control a
learner reaches, give it a role a screen reader announces, and give the charts their
figures as text.

Run inside a private D-Bus session under Xvfb: accessible_tree_test.py TERMEL BOX.
With TERMEL_ATSPI_DUMP=1 it also prints every tree it walks."""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

# Roles a learner operates or reads; each needs a name.
NAMED_ROLES = {
    "push button", "toggle button", "check box", "radio button", "text", "entry",
    "password text", "combo box", "list", "list box", "table", "tree table", "tree",
    "spin button", "slider", "page tab", "menu item", "check menu item", "radio menu item",
    "label", "status bar", "chart", "image",
}
# Roles that say nothing about what a control is.
ANONYMOUS_ROLES = {"panel", "filler", "unknown", "redundant object", "drawing area"}
# Containers a screen reader passes over.
CONTAINER_ROLES = {"scroll pane", "scroll bar"}

# Per window: the keys that open it from the main window ("type:" types a text), its
# title, and controls (role, pattern of the name, pattern of the description) that
# must be in it.
WINDOWS = [
    ("main window", [], r".*Deruvuvodiru", [
        ("label", r"Frage: \S", None),
        ("label", r"Antwort", None),
        ("label", r"Fach: \d", None),
        ("push button", r"Sehen", None),
        ("push button", r"Gewusst", None),
        ("push button", r"Unbekannt", None),
        ("status bar", r"Fach: \d+ Gesamt: \d+.*Gewusst: \d+ Unbekannt: \d+", None),
    ]),
    ("Termeln eingeben", ["alt+t", "n"], r"Termeln eingeben", [
        ("text", r"Deutsch", None),
        ("text", r"[Üü]bersetzt", None),
        ("push button", r"Speichern", None),
        ("push button", r"Schlie[ßs]en", None),
        ("push button", r"Hilfe", None),
    ]),
    ("Karte schon im Kasten", ["alt+t", "n", "type:der Apfel", "Tab", "type:the apple",
                               "Return"], r"Achtung", [
        ("label", r"der Apfel", None),
        ("push button", r"OK", None),
        ("push button", r"Ändern", None),
    ]),
    ("Korrigieren", ["alt+t", "k"], r"Termeln eingeben", [
        ("text", r"Deutsch", None),
        ("push button", r"Abbruch", None),
    ]),
    ("Termeln ändern", ["alt+f", "d"], r"Termeln ändern", [
        ("combo box", r"Kasten", None),
        ("list", r"Karten im Fach", None),
    ]),
    ("Karte suchen", ["ctrl+f"], r"Karte suchen", [
        ("text", r"Suchen", None),
        ("list", r"Gefundene Karten", r"Zeile 1 von \d+"),
        ("push button", r"In 1\. Fach", None),
    ]),
    ("Übersicht", ["alt+f", "b"], r"Übersicht", [
        ("chart", r"Karten je Fach", r"1\. Fach: \d+ Karten"),
        ("list", r"Am häufigsten nicht gewusst", None),
    ]),
    ("Lernverlauf", ["alt+f", "v"], r"Lernverlauf", [
        ("chart", r"Antworten der letzten 30 Tage", r"\S"),
        ("list", r"In die Ablage gekommen", None),
    ]),
    ("Sicherungen", ["alt+d", "c"], r"Sicherungen", [
        ("list", r"Sicherungen", None),
    ]),
    ("Sprache der Übersetzung", ["alt+o", "s"], r"Sprache der Übersetzung", [
        ("table", r"Übersetzung vorlesen auf", None),
        ("text", r"Sprachcode", None),
    ]),
]

# Windows opened over another dialog close with one Esc for each.
CLOSING = {"Karte schon im Kasten": ["Escape", "Escape"]}

failures = []


def fail(window, text):
    failures.append(f"{window}: {text}")


def describe(node):
    return f"{node.getRoleName()} '{node.name}'"


def walk(node, visit, depth=0):
    visit(node, depth)
    for child in node:
        if child is not None:
            walk(child, visit, depth + 1)


def showing(node):
    state = node.getState()
    return state.contains(pyatspi.STATE_SHOWING)


def focused_in(root):
    found = []

    def visit(node, depth):
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            found.append(node)

    walk(root, visit)
    return found[0] if found else None


def tab_stops(window):
    """The controls Tab leads through, from the one with the keyboard round to it."""
    first = focused_in(window)
    stops = [first] if first is not None else []
    for _ in range(12):
        keys("Tab")
        now = focused_in(window)
        if now is None or now == first:
            break
        stops.append(now)
    return stops


def check_focus_order(title, window):
    """Tab goes through the controls as they are read: down, or on to the right, never
    back up or to the left within a row or column."""
    boxes = [(n, n.queryComponent().getExtents(pyatspi.DESKTOP_COORDS))
             for n in tab_stops(window)]
    if not boxes:
        return
    # The round starts where reading starts, at the control nearest the top left corner.
    first = min(range(len(boxes)), key=lambda i: boxes[i][1].x + boxes[i][1].y)
    boxes = boxes[first:] + boxes[:first]
    for (before, a), (after, b) in zip(boxes, boxes[1:]):
        same_row = a.y < b.y + b.height / 2 < a.y + a.height
        back = b.x < a.x if same_row else (b.y < a.y and b.x <= a.x)
        if back:
            fail(title, f"Tab leads from {describe(before)} back to {describe(after)}")


def check_window(title, root, expected):
    seen = []

    def visit(node, depth):
        role = node.getRoleName()
        if os.environ.get("TERMEL_ATSPI_DUMP"):
            print("  " * depth + f"{describe(node)} desc='{node.description}'")
        # Menu items are reached while hidden, by the keys of the menu bar.
        if not showing(node) and "menu" not in role:
            return
        seen.append(node)
        focusable = node.getState().contains(pyatspi.STATE_FOCUSABLE) and \
            role not in CONTAINER_ROLES
        if (role in NAMED_ROLES or focusable) and not node.name.strip():
            fail(title, f"{role} without a name")
        if focusable and role in ANONYMOUS_ROLES:
            fail(title, f"{describe(node)} takes the keyboard but has no role")

    walk(root, visit)
    for role, name, description in expected:
        if not any(n.getRoleName() == role and re.search(name, n.name) and
                   (description is None or re.search(description, n.description))
                   for n in seen):
            fail(title, f"no {role} named /{name}/" +
                 (f" described /{description}/" if description else ""))


def app_named(name, timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    return None


def keyboard_window():
    """The title of the window the window manager gave the keyboard."""
    found = subprocess.run(["xdotool", "getactivewindow", "getwindowname"],
                           capture_output=True, text=True)
    return found.stdout.strip()


def window_titled(app, pattern, timeout=10):
    """The window of app titled pattern once it has the keyboard, as keys typed
    earlier would reach another window."""
    end = time.time() + timeout
    while time.time() < end:
        for window in app:
            if window is not None and re.fullmatch(pattern, window.name) and \
                    window.getState().contains(pyatspi.STATE_ACTIVE) and \
                    re.fullmatch(pattern, keyboard_window()):
                return window
        time.sleep(0.2)
    return None


def keys(*names):
    for name in names:
        if name.startswith("type:"):
            subprocess.run(["xdotool", "type", "--delay", "50", name[5:]], check=True)
        else:
            subprocess.run(["xdotool", "key", "--delay", "150", name], check=True)
        time.sleep(0.6)


def main():
    program, box = sys.argv[1], sys.argv[2]
    scratch = tempfile.mkdtemp(prefix="termel-atspi-")
    env = dict(os.environ, HOME=scratch, XDG_CONFIG_HOME=f"{scratch}/config",
               XDG_STATE_HOME=f"{scratch}/state", XDG_DATA_HOME=f"{scratch}/data")
    env.pop("NO_AT_BRIDGE", None)
    copy = os.path.join(scratch, "kasten.trm")
    shutil.copy(box, copy)
    shutil.copy(os.path.splitext(box)[0] + ".kas", os.path.join(scratch, "kasten.kas"))
    wm = subprocess.Popen(["openbox", "--sm-disable"], stderr=subprocess.DEVNULL)
    termel = subprocess.Popen([program, copy], env=env)
    try:
        app = app_named("termel")
        if app is None:
            print("termel never appeared on the accessibility bus")
            return 1
        main_window = window_titled(app, WINDOWS[0][2], 20)
        for title, opening, pattern, expected in WINDOWS:
            keys(*opening)
            window = window_titled(app, pattern)
            if window is None:
                fail(title, "did not open: " + ", ".join(
                    f"{w.name}{' (active)' if w.getState().contains(pyatspi.STATE_ACTIVE) else ''}"
                    for w in app if w is not None))
                continue
            check_window(title, window, expected)
            check_focus_order(title, window)
            if window != main_window:
                keys(*CLOSING.get(title, ["Escape"]))
                if window_titled(app, WINDOWS[0][2]) is None:
                    fail(title, "did not close with Esc")
                    break
    finally:
        termel.kill()
        termel.wait()
        wm.terminate()
        wm.wait()
        shutil.rmtree(scratch, ignore_errors=True)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
