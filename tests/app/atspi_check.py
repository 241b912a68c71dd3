# Reads the running program's windows as a screen reader does, through AT-SPI: every
# showing control that takes focus has a name, the tool bar's buttons are named by their
# hints and its separators are separators. Then opens the icon inspector on the first row
# (a click and Ctrl+I through xdotool) and reads it the same way. The caption buttons of
# both windows are buttons with names and a press action: pressing the inspector's close
# closes it, pressing the main window's close ends the program. Exits 1 with what is
# missing listed.
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


def is_showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:  # the window is gone from the bus
        return False


def program_gone():
    return not any(a is not None and "glimmerwick" in (a.name or "").lower()
                   for a in pyatspi.Registry.getDesktop(0))


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


CAPTION_HEIGHT = 49


def caption_buttons(window, expected, failures):
    """The named buttons on the window's caption bar, checked against `expected`."""
    top = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y
    found = {}
    for n in showing_nodes(window):
        if n.getRoleName() != "push button":
            continue
        if n.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).y - top < CAPTION_HEIGHT:
            found[n.name] = n
    actions = {}
    for name, n in found.items():
        try:
            action = n.queryAction()
            actions[name] = [action.getName(i) for i in range(action.nActions)]
        except NotImplementedError:
            actions[name] = []
    print(f"caption of {window.name}:", actions)
    for name in expected:
        if name not in found:
            failures.append(f"{window.name}: no caption button named {name!r}")
        elif "press" not in [a.lower() for a in actions[name]]:
            failures.append(f"{window.name}: caption button {name!r} cannot be pressed: {actions[name]}")
    return found


def press(button):
    action = button.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == "press":
            return action.doAction(i)
    return False


def wait_until(condition, seconds=5.0):
    for _ in range(int(seconds * 10)):
        if condition():
            return True
        time.sleep(0.1)
    return False


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
main = next((w for w in windows if w is not None and w.getRoleName() == "frame" and w.name == "Glimmerwick"), None)
if main is None:
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
        close = caption_buttons(inspector, ["Window Icon", "Close"], failures).get("Close")
        if close is None or not press(close):
            failures.append("the inspector's caption close was not pressed")
            subprocess.run(["xdotool", "key", "Escape"], check=False)
        elif not wait_until(lambda: not is_showing(inspector)):
            failures.append("pressing the inspector's caption close left it open")
        else:
            print("the inspector's caption close closed it")
else:
    print("xdotool missing: the inspector is not read")
if main is not None:
    close = caption_buttons(main, ["Window Icon", "Minimize", "Maximize", "Close"], failures).get("Close")
    if close is not None and press(close):
        if wait_until(program_gone):
            print("the main window's caption close ended the program")
        else:
            failures.append("pressing the main window's caption close left the program running")
    else:
        failures.append("the main window's caption close was not pressed")
for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
