#!/usr/bin/python3
"""The windows as a screen reader sees them: termel runs on a copy of a box with the
accessibility bridge on, keys through the X server open each window, and its tree,
read over AT-SPI, must name every control a learner reaches, give it a role a screen
reader announces, give the charts their figures as text, and let Tab follow the layout.

Run in a private D-Bus session under Xvfb: accessible_tree_test.py TERMEL BOX.
TERMEL_ATSPI_DUMP=1 prints every tree it walks."""

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
    "combo box", "list", "list box", "table", "tree table", "spin button", "page tab",
    "menu item", "check menu item", "radio menu item", "label", "status bar", "chart",
}
# Roles that say nothing about what a control is, and containers passed over.
ANONYMOUS_ROLES = {"panel", "filler", "unknown", "redundant object", "drawing area"}
CONTAINER_ROLES = {"scroll pane", "scroll bar"}

# Per window: the keys that open it from the main window ("type:" types a text, "wait"
# waits for a slow window), the
# keys that close it, its title, and controls (role, name, description as patterns)
# that must be in it.
ESC = ["Escape"]
WINDOWS = [
    ("main window", [], [], r".*Deruvuvodiru", [
        ("label", r"Frage: \S", None), ("label", r"Antwort", None),
        ("label", r"Fach: \d", None), ("push button", r"Sehen", None),
        ("push button", r"Gewusst", None), ("push button", r"Unbekannt", None),
        ("status bar", r"Fach: \d+ Gesamt: \d+.*Gewusst: \d+ Unbekannt: \d+", None)]),
    ("Termeln eingeben", ["alt+t", "n"], ESC, r"Termeln eingeben", [
        ("text", r"Deutsch", None), ("text", r"übersetzt", None),
        ("push button", r"Speichern", None), ("push button", r"Schließen", None),
        ("push button", r"Hilfe", None)]),
    ("Karte schon im Kasten",
     ["alt+t", "n", "type:der Apfel", "Tab", "type:the apple", "Return"], ESC * 2,
     r"Achtung", [("label", r"der Apfel", None), ("push button", r"Ändern", None)]),
    ("Korrigieren", ["alt+t", "k"], ESC, r"Termeln eingeben", [
        ("text", r"Deutsch", None), ("push button", r"Abbruch", None)]),
    ("Termeln ändern", ["alt+f", "d"], ESC, r"Termeln ändern", [
        ("combo box", r"Kasten", None), ("list", r"Karten im Fach", None)]),
    ("Verschieben nach", ["alt+f", "d", "wait", "shift+Tab", "Down", "alt+w"], ESC * 2,
     r"Verschieben nach", [("table", r"Zielkasten", None), ("push button", r"Ok", None)]),
    ("Karte suchen", ["ctrl+f"], ESC, r"Karte suchen", [
        ("text", r"Suchen", None), ("push button", r"In 1\. Fach", None),
        ("list", r"Gefundene Karten", r"Zeile 1 von \d+")]),
    ("Übersicht", ["alt+f", "b"], ESC, r"Übersicht", [
        ("chart", r"Karten je Fach", r"1\. Fach: \d+ Karten"),
        ("list", r"Am häufigsten nicht gewusst", None)]),
    ("Lernverlauf", ["alt+f", "v"], ESC, r"Lernverlauf", [
        ("chart", r"Antworten der letzten 30 Tage", r"\S"),
        ("list", r"In die Ablage gekommen", None)]),
    ("Sicherungen", ["alt+d", "c"], ESC, r"Sicherungen", [("list", r"Sicherungen", None)]),
    ("Hilfe", ["F1"], ["alt+F4"], r"Hilfe: .*", [
        ("document frame", r"Termel-Hilfe", r"Vokabeltrainer"), ("tree", r"Inhalt", None),
        ("push button", r"Seite", None)]),
    ("Sprache der Übersetzung", ["alt+o", "s"], ESC, r"Sprache der Übersetzung", [
        ("table", r"Übersetzung vorlesen auf", None), ("text", r"Sprachcode", None)]),
]

failures = []


def fail(window, text):
    failures.append(f"{window}: {text}")


def describe(node):
    return f"{node.getRoleName()} '{node.name}'"


def has(node, state):
    return node.getState().contains(state)


def walk(node, visit, depth=0):
    visit(node, depth)
    for child in node:
        if child is not None:
            walk(child, visit, depth + 1)


def keys(*names):
    for name in names:
        if name == "wait":  # for a window that takes its time to come up
            time.sleep(2)
        elif name.startswith("type:"):
            subprocess.run(["xdotool", "type", "--delay", "50", name[5:]], check=True)
        else:
            subprocess.run(["xdotool", "key", "--delay", "150", name], check=True)
        time.sleep(0.6)


def check_window(title, root, expected):
    seen = []

    def visit(node, depth):
        role = node.getRoleName()
        if os.environ.get("TERMEL_ATSPI_DUMP"):
            keyboard = " (Tab)" if has(node, pyatspi.STATE_FOCUSABLE) else ""
            print("  " * depth + f"{describe(node)}{keyboard} desc='{node.description}'")
        # Menu items are reached while hidden, by the keys of the menu bar.
        if not has(node, pyatspi.STATE_SHOWING) and "menu" not in role:
            return
        seen.append(node)
        focusable = has(node, pyatspi.STATE_FOCUSABLE) and role not in CONTAINER_ROLES
        if (role in NAMED_ROLES or focusable and node.childCount == 0) and not node.name.strip():
            fail(title, f"{role} without a name")
        # A container the keyboard passes through to its controls needs neither.
        if focusable and role in ANONYMOUS_ROLES and node.childCount == 0:
            fail(title, f"{describe(node)} takes the keyboard but has no role")

    walk(root, visit)
    for role, name, description in expected:
        if not any(n.getRoleName() == role and re.search(name, n.name) and
                   re.search(description or "", n.description) for n in seen):
            fail(title, f"no {role} named /{name}/ described /{description or ''}/")


def focused_in(root):
    found = []
    walk(root, lambda node, depth: found.append(node)
         if has(node, pyatspi.STATE_FOCUSED) else None)
    return found[0] if found else None


def check_focus_order(title, window):
    """Tab goes through the controls as they are read: down, or on to the right, never
    back up or to the left within a row or column."""
    first = focused_in(window)
    stops = [first] if first is not None else []
    for _ in range(12):
        keys("Tab")
        now = focused_in(window)
        if now is None or now == first:
            break
        stops.append(now)
    boxes = [(n, n.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)) for n in stops]
    if not boxes:
        return
    # The round starts where reading starts, at the control nearest the top left corner.
    start = min(range(len(boxes)), key=lambda i: boxes[i][1].x + boxes[i][1].y)
    boxes = boxes[start:] + boxes[:start]
    for (before, a), (after, b) in zip(boxes, boxes[1:]):
        same_row = a.y < b.y + b.height / 2 < a.y + a.height
        if (b.x < a.x) if same_row else (b.y < a.y and b.x <= a.x):
            fail(title, f"Tab leads from {describe(before)} back to {describe(after)}")


def until(found, timeout):
    end = time.time() + timeout
    while time.time() < end:
        result = found()
        if result is not None:
            return result
        time.sleep(0.2)
    return None


def keyboard_window():
    """The title of the window the window manager gave the keyboard."""
    return subprocess.run(["xdotool", "getactivewindow", "getwindowname"],
                          capture_output=True, text=True).stdout.strip()


def window_titled(app, pattern, timeout=10):
    """The window of app titled pattern once it has the keyboard: keys typed before
    would reach another window."""
    return until(lambda: next(
        (w for w in app if w is not None and re.fullmatch(pattern, w.name) and
         has(w, pyatspi.STATE_ACTIVE) and re.fullmatch(pattern, keyboard_window())),
        None), timeout)


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
        app = until(lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                                  if a is not None and a.name == "termel"), None), 20)
        if app is None:
            fail("termel", "never appeared on the accessibility bus")
            return 1
        main_title = WINDOWS[0][3]
        window_titled(app, main_title, 20)
        for title, opening, closing, pattern, expected in WINDOWS:
            keys(*opening)
            window = window_titled(app, pattern)
            if window is None:
                fail(title, "did not open")
                continue
            check_window(title, window, expected)
            check_focus_order(title, window)
            keys(*closing)
            if window_titled(app, main_title) is None:
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
