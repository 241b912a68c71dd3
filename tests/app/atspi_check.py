# Reads the running program's windows as a screen reader does, through AT-SPI: every
# showing control that takes focus has a name, the tool bar's buttons are named by their
# hints and its separators are separators. Then opens the icon inspector on the first row
# (a click and Ctrl+I through xdotool) and reads it the same way. Exits 1 with the unnamed
# ones listed.
import shutil
import subprocess
import sys
import time

import pyatspi


def walk(acc, out, depth=0):
    out.append(acc)
    if depth < 16:
        for i in range(acc.childCount):
            child = acc.getChildAtIndex(i)
            if child is not None:
                walk(child, out, depth + 1)


def program():
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and "glimmerwick" in (app.name or "").lower():
                return app
        time.sleep(0.1)
    return None


def showing_nodes(root):
    nodes = []
    walk(root, nodes)
    return [n for n in nodes if n.getState().contains(pyatspi.STATE_SHOWING)]


def check_names(showing, expected_names, failures):
    """Every focusable control and every button named, and the names expected there."""
    focusable = [n for n in showing if n.getState().contains(pyatspi.STATE_FOCUSABLE)]
    unnamed = [n.getRoleName() for n in focusable if not n.name]
    buttons = sorted(n.name for n in showing if n.getRoleName() == "push button")
    print(f"{len(focusable) - len(unnamed)} of {len(focusable)} focusable controls named")
    print("buttons:", buttons)
    if unnamed:
        failures.append(f"unnamed focusable controls: {unnamed}")
    if "" in buttons:
        failures.append("a button without a name")
    for expected in expected_names:
        if expected not in buttons + [n.name for n in focusable]:
            failures.append(f"no control named {expected!r}")


def inspector_window(app):
    for _ in range(50):
        for i in range(app.childCount):
            w = app.getChildAtIndex(i)
            if w is not None and w.name == "Icon Details" and w.getState().contains(pyatspi.STATE_SHOWING):
                return w
        time.sleep(0.1)
    return None


app = program()
if app is None:
    print("the program never appeared on the accessibility bus")
    sys.exit(1)
showing = showing_nodes(app)
failures = []
check_names(showing, sys.argv[1:], failures)
# The window is announced as a window, and what the status bar reports can be read.
windows = [app.getChildAtIndex(i) for i in range(app.childCount)]
if not any(w is not None and w.getRoleName() == "frame" and w.name == "Glimmerwick" for w in windows):
    failures.append(f"no frame named Glimmerwick: {[(w.getRoleName(), w.name) for w in windows if w]}")
status = [n.name for n in showing if n.getRoleName() == "status bar"]
print("status bar:", status)
if not any(name.endswith("icons to browse.") for name in status):
    failures.append("the status bar does not read its count of icons")
separators = [n for n in showing if n.getRoleName() == "separator"]
if len(separators) < 3:
    failures.append(f"{len(separators)} separators, not 3")

cells = [n for n in showing if n.getRoleName() == "table cell"]
if not cells:
    failures.append("no row to inspect")
elif shutil.which("xdotool"):
    box = cells[0].queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
                    "click", "1", "sleep", "0.3", "key", "ctrl+i"], check=False)
    inspector = inspector_window(app)
    if inspector is None:
        failures.append("Ctrl+I on a row opened no inspector")
    else:
        print("inspector:")
        check_names(showing_nodes(inspector), ["Images", "Save as PNG...", "Save Original Icon...", "Close"],
                    failures)
        subprocess.run(["xdotool", "key", "Escape"], check=False)
else:
    print("xdotool missing: the inspector is not read")
for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
