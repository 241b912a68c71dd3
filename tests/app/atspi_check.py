# Reads the running program's windows as a screen reader does, through AT-SPI: every
# showing control that takes focus has a name, the tool bar's buttons are named by their
# hints and its separators are separators. Exits 1 with the unnamed ones listed.
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


app = program()
if app is None:
    print("the program never appeared on the accessibility bus")
    sys.exit(1)
nodes = []
walk(app, nodes)
showing = [n for n in nodes if n.getState().contains(pyatspi.STATE_SHOWING)]
focusable = [n for n in showing if n.getState().contains(pyatspi.STATE_FOCUSABLE)]
unnamed = [n.getRoleName() for n in focusable if not n.name]
buttons = sorted(n.name for n in showing if n.getRoleName() == "push button")
separators = [n for n in showing if n.getRoleName() == "separator"]
print(f"{len(focusable) - len(unnamed)} of {len(focusable)} focusable controls named")
print("buttons:", buttons)
failures = []
if unnamed:
    failures.append(f"unnamed focusable controls: {unnamed}")
if "" in buttons:
    failures.append("a button without a name")
for expected in sys.argv[1:]:
    if expected not in buttons + [n.name for n in focusable]:
        failures.append(f"no control named {expected!r}")
if len(separators) < 3:
    failures.append(f"{len(separators)} separators, not 3")
for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
