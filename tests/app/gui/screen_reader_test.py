#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# The calculator as a screen reader finds it on Linux: the real program on an X server with a
# session bus, read and driven through AT-SPI (pyatspi) as Orca does. Every key is found by its
# name, 7 + 8 = are pressed through their actions, the answer is announced and the history's
# newest entry holds it, and typing on the keyboard reaches the reader as text inserted in the
# line. Run through run-under-x and dbus-run-session:
#   screen_reader_test.py PROGRAM DATA_DIR
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

PROGRAM, DATA = sys.argv[1], sys.argv[2]
# A limit that only a broken program reaches: every wait below ends as soon as its condition holds.
LIMIT_S = 60

KEYS = ["0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "Point", "Plus", "Minus", "Times",
        "Divided by", "Cosine", "Sine", "Tangent", "Pi", "Equals", "Functions", "Quit"]
ANGLE_KEYS = ["Radians", "Degrees"]

failures = []
heard = {"object:announcement": [], "object:text-changed:insert": []}


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAILED:", message)


def on_event(event):
    if event.type in heard:
        heard[event.type].append(event.any_data)


def wait_for(condition, what):
    """Serves the reader's events until the condition holds; fails after LIMIT_S."""
    end = time.monotonic() + LIMIT_S
    context = GLib.MainContext.default()
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        value = condition()
        if value:
            return value
        context.iteration(True) if context.pending() else time.sleep(0.02)
    print("heard", heard)
    failures.append("gave up waiting for " + what)
    print("FAILED: gave up waiting for", what)
    finish(1)


def calculator_window():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is None or app.name != "tornavelle":
            continue
        for window in app:
            if window is not None and window.childCount > 0:
                return window
    return None


def parts(window):
    found = []
    stack = list(window)
    while stack:
        part = stack.pop(0)
        found.append(part)
        stack[:0] = list(part)
    return found


def part_named(window, role, name):
    for part in parts(window):
        if part.getRole() == role and part.name == name:
            return part
    return None


def newest_entry(window):
    history = next(p for p in parts(window) if p.getRole() == pyatspi.ROLE_LIST)
    return history.getChildAtIndex(history.childCount - 1).name if history.childCount else None


def line_text(window):
    line = next(p for p in parts(window) if p.getRole() == pyatspi.ROLE_ENTRY)
    text = line.queryText()
    return text.getText(0, -1), text.caretOffset


def finish(code):
    program.terminate()
    program.wait()
    shutil.rmtree(folder, ignore_errors=True)
    print("%d failure(s)" % len(failures))
    sys.exit(1 if failures or code else 0)


folder = tempfile.mkdtemp()
for name in ("Lng-Tornavelle", "Apparence"):
    shutil.copytree(os.path.join(DATA, name), os.path.join(folder, name))
with open(os.path.join(folder, "Langue.lng"), "wb") as f:
    f.write(b"Defaut = English\r\n")
program = subprocess.Popen([PROGRAM], cwd=folder)
for event_type in heard:
    pyatspi.Registry.registerEventListener(on_event, event_type)

window = wait_for(calculator_window, "the calculator's window and its parts")
check(window.name == "Tornavelle", "the window is named Tornavelle, not %r" % window.name)
# The invisible twin laid on the window for its clicks is no second window to a reader.
shown = [w for w in window.parent if w.getState().contains(pyatspi.STATE_SHOWING)]
check([w.getRole() for w in shown] == [pyatspi.ROLE_FRAME], "one window shows: %s" % shown)

# Every key, by its name, with its press action and its place on the screen.
window_box = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
for name in KEYS + ANGLE_KEYS:
    role = pyatspi.ROLE_RADIO_BUTTON if name in ANGLE_KEYS else pyatspi.ROLE_PUSH_BUTTON
    key = part_named(window, role, name)
    check(key is not None, "a %s named %r" % (pyatspi.Role(role), name))
    if key is None:
        continue
    action = key.queryAction()
    check(action.nActions == 1 and action.getName(0) == "click", "%r has the click action" % name)
    box = key.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    check(box.width > 0 and box.height > 0 and window_box.x <= box.x and
          box.x + box.width <= window_box.x + window_box.width and window_box.y <= box.y and
          box.y + box.height <= window_box.y + window_box.height,
          "%r lies inside the window: %s in %s" % (name, box, window_box))
radians = part_named(window, pyatspi.ROLE_RADIO_BUTTON, "Radians")
check(radians.getState().contains(pyatspi.STATE_CHECKED), "a first run calculates in radians")

# 7 + 8 = through the keys' actions: the answer is spoken and is the history's newest entry.
for name in ("7", "Plus", "8", "Equals"):
    part_named(window, pyatspi.ROLE_PUSH_BUTTON, name).queryAction().doAction(0)
wait_for(lambda: heard["object:announcement"], "the answer's announcement")
check(heard["object:announcement"] == ["15"], "the answer announced: %r" % heard["object:announcement"])
wait_for(lambda: newest_entry(window) == "7+8, 15", "the newest history entry 7+8, 15")

# The angle keys' checked state follows the mode they set.
part_named(window, pyatspi.ROLE_RADIO_BUTTON, "Degrees").queryAction().doAction(0)
wait_for(lambda: part_named(window, pyatspi.ROLE_RADIO_BUTTON, "Degrees").getState().contains(pyatspi.STATE_CHECKED),
         "Degrees checked")
check(not radians.getState().contains(pyatspi.STATE_CHECKED), "Radians no longer checked")

# The function key's menu is the toolkit's own, which readers know: its entries are found, and
# Escape closes it.
part_named(window, pyatspi.ROLE_PUSH_BUTTON, "Functions").queryAction().doAction(0)
menu_items = lambda: [p for w in window.parent for p in parts(w)
                      if p.getRole() in (pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM) and p.name and
                      p.getState().contains(pyatspi.STATE_SHOWING)]
wait_for(lambda: len(menu_items()) > 5, "the function menu's entries")
subprocess.run(["xdotool", "key", "Escape"], check=True)
wait_for(lambda: not menu_items(), "the function menu closed")

# Typing on the keyboard: the reader reads the line, with the glyph shown for "*", and hears each
# insertion.
heard["object:text-changed:insert"].clear()
subprocess.run(["xdotool", "type", "--delay", "20", "2*3"], check=True)
wait_for(lambda: line_text(window) == ("2×3", 3), "the typed line 2×3 with the caret at its end")
wait_for(lambda: "".join(heard["object:text-changed:insert"]) == "2×3", "the insertions heard")
finish(0)
