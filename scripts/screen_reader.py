#!/usr/bin/python3
"""Reads the running tool the way a screen reader does, over AT-SPI.

Prints what assistive technology is given for a window, the address box and
switch cells; then types an address into the box, and a text that is no
address, and presses a cell through its action, printing the events a screen
reader hears each time: the switches' state changes and the box's new
description. Exits non-zero when something a screen reader needs is missing.
Run by check-screen-reader.sh, which starts the accessibility bus, an X
server and the tool.
"""
import sys
import time

import pyatspi
from gi.repository import GLib

APP = "Corvane adresse DMX"
CAPTION = "Corvane Adresse DMX Corvane V 0.3"
OTHER_CAPTION = "Corvane Adresse DMX Autre V 0.3"
# Typed key by key, "1" and "10" are drawn on the way to "100"; in the
# colour-driver window, 100 turns switches 3, 4 and 7 on: each of them moves
# the check from its OFF cell to its ON cell.
TYPED = "100"
# What the box says while it holds a text the switches cannot show.
CUE = "Ce n'est pas une adresse de 0 à 511 : les interrupteurs ne l'affichent pas"
TYPED_EVENTS = {f"Interrupteur {k}, {w}: {int(w == 'ON')}" for k in (3, 4, 7) for w in ("ON", "OFF")}

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def find_app():
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP:
                return app
        time.sleep(0.2)
    sys.exit(f"no application named {APP!r} on the accessibility bus")


def find(root, role, name):
    found = pyatspi.findDescendant(root, lambda a: a.getRole() == role and a.name == name)
    if found is None:
        sys.exit(f"no {role} named {name!r}")
    return found


def states(acc):
    return [pyatspi.stateToString(s) for s in acc.getState().getStates()]


def actions(acc):
    action = acc.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def show(what, acc):
    print(f"{what}: {acc.getRoleName()} {acc.name!r}, description {acc.description!r}")


app = find_app()
window = find(app, pyatspi.ROLE_FRAME, CAPTION)
show("window", window)

box = find(window, pyatspi.ROLE_TEXT, "Adresse DMX")
show("address box", box)
check(box.getState().contains(pyatspi.STATE_EDITABLE), "the address box is not editable")

for name in ("Interrupteur 1, ON", "Interrupteur 1, OFF", "Bouchon DMX, ON"):
    cell = find(window, pyatspi.ROLE_RADIO_BUTTON, name)
    show("cell", cell)
    cell_states = states(cell)
    print(f"  states {cell_states}, actions {actions(cell)}")
    check(("checked" in cell_states) == name.endswith("OFF"), f"{name}: wrong checked state at start")
    check("Press" in actions(cell), f"{name} has no press action")

# What the bank tells while something happens, until the wanted events came.
received = []
wanted = set()
listening = False


def on_event(event):
    if event.type.startswith("object:state-changed"):
        received.append(f"{event.source.name}: {event.detail1}")
    else:
        received.append(f"{event.source.name}, description: {event.source.description}")
    global listening
    if listening and wanted <= set(received):
        listening = False
        pyatspi.Registry.stop()


def listen(action, events):
    global listening
    listening = True
    received.clear()
    wanted.clear()
    wanted.update(events)
    GLib.timeout_add(100, lambda: action() and False)
    timed_out = []

    def give_up():  # only when events go missing
        timed_out.append(True)
        pyatspi.Registry.stop()
        return False

    timeout = GLib.timeout_add_seconds(20, give_up)
    pyatspi.Registry.start()
    listening = False
    if not timed_out:
        GLib.source_remove(timeout)
    print("  events: " + "; ".join(received))
    check(wanted <= set(received), f"missing events: {sorted(wanted - set(received))}")


pyatspi.Registry.registerEventListener(on_event, "object:state-changed:checked",
                                       "object:property-change:accessible-description")


# Typed as a user does: a click into the box, then the keys.
def typing(keys):
    def type_keys():
        extents = box.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        pyatspi.Registry.generateMouseEvent(extents.x + extents.width // 2,
                                            extents.y + extents.height // 2, "b1c")
        for c in keys:
            keysym = 0xFF08 if c == "\b" else ord(c)
            pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    return type_keys


print(f"typing {TYPED!r}")
listen(typing(TYPED), TYPED_EVENTS)
print(f"  the box reads {box.queryText().getText(0, -1)!r}")

# A text the switches cannot show: the box says so.
print("typing '600' instead")
listen(typing("\b\b\b600"), {f"Adresse DMX, description: {CUE}"})
print(f"  the box reads {box.queryText().getText(0, -1)!r}, description {box.description!r}")

# The press action of a cell does what a click does.
upper1 = find(window, pyatspi.ROLE_RADIO_BUTTON, "Interrupteur 1, ON")
print("pressing 'Interrupteur 1, ON'")
listen(lambda: upper1.queryAction().doAction(0),
       {"Interrupteur 1, ON: 1", "Interrupteur 1, OFF: 0", "Adresse DMX, description: Entrer une valeur DMX"})
address = box.queryText().getText(0, -1)
print(f"  the box reads {address!r}")
# "600" left the switches of 60 on; switch 1 adds its 256.
check(address == "316", "the press action did not add switch 1's 256 to the switches' 60")

# "Autre" shows the other window, heard as a window of its own.
find(window, pyatspi.ROLE_PUSH_BUTTON, "Autre").queryAction().doAction(0)
deadline = time.monotonic() + 10
other = None
while other is None and time.monotonic() < deadline:
    other = pyatspi.findDescendant(app, lambda a: a.getRole() == pyatspi.ROLE_FRAME and a.name == OTHER_CAPTION)
    time.sleep(0.1)
check(other is not None, f"no window {OTHER_CAPTION!r} after pressing 'Autre'")
if other is not None:
    show("after 'Autre', window", other)
    show("  its first cell", find(other, pyatspi.ROLE_RADIO_BUTTON, "Interrupteur 1, ON"))

if failures:
    print("FAILED: " + "; ".join(failures))
    sys.exit(1)
print("ok")
