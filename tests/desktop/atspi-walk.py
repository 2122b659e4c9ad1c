"""Walks the accessible tree of the running tocolo through AT-SPI, as a screen reader does,
and presses START and STOP through their actions. Exits 0 when every control is there with
its role, name and value and the presses did what they say.

Other modes, for a test that drives tocolo with a real seat:
  --extents NAME     prints the rectangle of the push button or window of that name,
                     relative to its window: x y w h
  --expect STATE     waits up to 5 s for playing, stopped, about (the About box is open)
                     or no-about
  --is STATE         exits 0 if tocolo is in that state now, 1 if not
  --buttons          prints the names of the push buttons of the main window, sorted
  --menu             opens the window menu with Alt+Space (xdotool) and walks it with Down,
                     as a screen reader hears it: the popup menu showing, then each item as
                     it takes the focus, with its state; then chooses Beat by its mnemonic
                     and hears it checked
  --tap              opens the tap-along window from the window menu (Alt+Space, T), starts
                     the loop with Space and taps along with keys, and hears the "Timing
                     summary" figures announced and read: a signed mean and a spread
  --listen           in the open tap-along window, with a null sink's monitor the default
                     input, turns Listen on (Alt+L) and hears it checked and the input named;
                     then unloads the sink and hears Listen turned off and why, in one line
"""
import re
import subprocess
import sys
import time

import pyatspi


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


def find_app(name, timeout=10):
    deadline = time.time() + timeout
    seen = []
    while time.time() < deadline:
        seen = [app.name for app in pyatspi.Registry.getDesktop(0) if app is not None]
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    fail(f"no application named {name} on the accessibility bus, only {seen}")


def walk(node, found):
    for child in node:
        if child is None:
            continue
        found.append(child)
        walk(child, found)
    return found


def one(nodes, role, name):
    matches = [n for n in nodes if n.getRole() == role and n.name == name]
    if len(matches) != 1:
        fail(f"expected one {role} named {name!r}, found {len(matches)}")
    return matches[0]


def sensitive(node):
    return node.getState().contains(pyatspi.STATE_SENSITIVE)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def state_now(app, state):
    nodes = walk(app, [])
    buttons = {n.name: n for n in nodes if n.getRole() == pyatspi.ROLE_PUSH_BUTTON}
    if state in ("playing", "stopped"):
        playing = not sensitive(buttons["START"]) and sensitive(buttons["STOP"])
        return playing == (state == "playing")
    about = any(n.getRole() == pyatspi.ROLE_DIALOG and n.name == "About Tocolo" and showing(n)
                for n in nodes)
    return about == (state == "about")


def expect(app, state):
    deadline = time.time() + 5
    while not state_now(app, state):
        if time.time() > deadline:
            fail(f"tocolo did not become {state}")
        time.sleep(0.1)


SHOWN = "(the popup menu shows)"
MENU_ROLES = (pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM, pyatspi.ROLE_RADIO_MENU_ITEM)
# The window menu as a screen reader should hear it: name, then checked or not. Qt 6.4 gives
# every item the plain menu item role and no checkable state: the check mark and the
# chosen option are heard only as the checked state.
EXPECTED_MENU = [("Close", False), ("Beat", False), ("Silent loops off", True),
                 ("Every second loop silent", False), ("One silent loop in four", False),
                 ("Tap along...", False), ("About version( A)...", False)]


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True)


def walk_menu():
    """Each round of keys, with the menu items that took the focus meanwhile."""
    from gi.repository import GLib

    rounds = [["alt+space"] + ["Down"] * len(EXPECTED_MENU) + ["Escape"],
              ["alt+space", "b"],
              ["alt+space", "Down", "Down", "Escape"]]
    heard = [[] for _ in rounds]
    current = [0]

    def on_event(event):
        if not event.detail1:
            return
        try:
            role = event.source.getRole()
            if role == pyatspi.ROLE_POPUP_MENU and event.type.endswith("showing"):
                heard[current[0]].append((SHOWN, role, False))
            elif role in MENU_ROLES and event.type.endswith("focused"):
                # Qt announces no change of an item's checked state, so a client's cache
                # would keep the one it saw first: ask the item itself.
                event.source.clearCache()
                checked = event.source.getState().contains(pyatspi.STATE_CHECKED)
                heard[current[0]].append((event.source.name, role, checked))
        except Exception:  # an item gone with its menu
            pass

    keys = [(r, key) for r, keys_of_round in enumerate(rounds) for key in keys_of_round]

    def next_key():
        if not keys:
            pyatspi.Registry.stop()
            return False
        current[0], key = keys.pop(0)
        xdotool("key", key)
        return True

    pyatspi.Registry.registerEventListener(on_event, "object:state-changed:focused",
                                           "object:state-changed:showing")
    GLib.timeout_add(400, next_key)
    pyatspi.Registry.start()
    return heard


def tap_along(app):
    """The summary's figures after a few taps, and whether a change of them was announced."""
    from gi.repository import GLib

    # Space starts the loop from the window; then one tap every 300 ms, the beat at 200.
    keys = ["alt+space", "t", "space"] + ["j"] * 8
    announced = []

    def on_event(event):
        try:
            if event.source.name == "Timing summary":
                announced.append(event.type)
        except Exception:
            pass

    def next_key():
        if not keys:
            GLib.timeout_add(600, lambda: pyatspi.Registry.stop())
            return False
        xdotool("key", keys.pop(0))
        return True

    pyatspi.Registry.registerEventListener(on_event, "object:property-change:accessible-description")
    GLib.timeout_add(300, next_key)
    pyatspi.Registry.start()
    summary = one(walk(app, []), pyatspi.ROLE_LABEL, "Timing summary")
    summary.clearCache()
    return summary.description, announced


def wait_for(what, condition, timeout=3):
    deadline = time.time() + timeout
    while not condition():
        if time.time() > deadline:
            fail(what)
        time.sleep(0.1)


def listen(app):
    """Listen on and its input named; the input gone: Listen off, and the line saying why."""
    def pactl(*args):
        return subprocess.run(["pactl", *args], check=True, capture_output=True,
                              text=True).stdout.strip()

    module = pactl("load-module", "module-null-sink", "sink_name=walk_mic")
    pactl("set-default-source", "walk_mic.monitor")
    try:
        xdotool("key", "alt+l")
        nodes = walk(app, [])
        box = one(nodes, pyatspi.ROLE_CHECK_BOX, "Listen")
        line = one(nodes, pyatspi.ROLE_LABEL, "Input")

        def checked():
            box.clearCache()
            return box.getState().contains(pyatspi.STATE_CHECKED)

        def said():
            line.clearCache()
            return line.description

        wait_for("Listen was not heard checked", checked)
        wait_for(f"the input was not named, only {said()!r}", lambda: "Listening to" in said())
        named = said()
    finally:
        pactl("unload-module", module)
    wait_for("Listen stayed checked after its input went away", lambda: not checked())
    wait_for(f"no line said why Listen is off, only {said()!r}", lambda: "went away" in said())
    return named, said()


app = find_app("Tocolo")
if "--listen" in sys.argv:
    named, why = listen(app)
    print(f"listening: heard {named!r}; the input gone, Listen off and {why!r}")
    sys.exit(0)
if "--tap" in sys.argv:
    xdotool("search", "--sync", "--name", "^Tocolo$", "windowfocus", "--sync")
    figures, announced = tap_along(app)
    if not re.search(r"mean [+-]\d+\.\d ms", figures) or not re.search(r"spread \d+\.\d ms", figures):
        fail(f"the Timing summary reads {figures!r}, without a signed mean and a spread")
    if not announced:
        fail("no change of the Timing summary's figures was announced")
    print(f"tap-along window: Timing summary heard {len(announced)} times, last as {figures!r}")
    sys.exit(0)
if "--menu" in sys.argv:
    xdotool("search", "--sync", "--name", "^Tocolo$", "windowfocus", "--sync")
    walk, chosen, again = walk_menu()
    names = [(name, checked) for name, _, checked in walk]
    if names != [(SHOWN, False)] + EXPECTED_MENU:
        fail(f"the window menu was heard as {names}, not {EXPECTED_MENU} after it showed")
    roles = sorted({role.value_nick for name, role, _ in walk if name != SHOWN})
    heard_again = [(name, checked) for name, _, checked in again]
    if heard_again[:3] != [(SHOWN, False), ("Close", False), ("Beat", True)]:
        fail(f"after Alt+Space and B the menu was heard as {heard_again}")
    print(f"window menu heard showing, then item by item, About last; Beat chosen by its mnemonic and heard "
          f"checked; item roles: {', '.join(roles)}")
    sys.exit(0)
if "--is" in sys.argv:
    sys.exit(0 if state_now(app, sys.argv[sys.argv.index("--is") + 1]) else 1)
if "--expect" in sys.argv:
    expect(app, sys.argv[sys.argv.index("--expect") + 1])
    sys.exit(0)
nodes = walk(app, [])
if "--buttons" in sys.argv:
    window = [n for n in nodes if n.name == "Tocolo"][0]
    print(" ".join(sorted(n.name for n in walk(window, [])
                          if n.getRole() == pyatspi.ROLE_PUSH_BUTTON)))
    sys.exit(0)
if "--extents" in sys.argv:
    name = sys.argv[sys.argv.index("--extents") + 1]
    matches = [n for n in nodes if n.name == name and n.getRole() in
               (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_DIALOG, pyatspi.ROLE_FRAME)]
    if len(matches) != 1:
        fail(f"expected one button or window named {name!r}, found {len(matches)}")
    box = matches[0].queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    print(box.x, box.y, box.width, box.height)
    sys.exit(0)
frame = [n for n in nodes if n.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_DIALOG)
         and n.name == "Tocolo"]
if not frame:
    fail("no window named Tocolo")

start = one(nodes, pyatspi.ROLE_PUSH_BUTTON, "START")
stop = one(nodes, pyatspi.ROLE_PUSH_BUTTON, "STOP")
one(nodes, pyatspi.ROLE_PUSH_BUTTON, "Bye")
one(nodes, pyatspi.ROLE_PUSH_BUTTON, "About..")
for group, options in (("Pattern", ("2-3", "3-2 (rumba)", "6/8")),
                       ("Tone", ("Claves", "Hand Clap", "Cowbell"))):
    for option in options:
        radio = one(nodes, pyatspi.ROLE_RADIO_BUTTON, option)
        if radio.parent is None or radio.parent.name != group:
            fail(f"{option!r} is not inside the {group!r} group")
slider = one(nodes, pyatspi.ROLE_SLIDER, "Tempo")
value = slider.queryValue()
if (value.currentValue, value.minimumValue, value.maximumValue) != (200, 100, 300):
    fail(f"the slider reads {value.currentValue} in {value.minimumValue}..{value.maximumValue}")
labels = [n.name for n in nodes if n.getRole() == pyatspi.ROLE_LABEL]
if " ♪ = 200" not in labels:
    fail(f"no tempo label among {labels}")

if not sensitive(start) or sensitive(stop):
    fail("stopped, START should be enabled and STOP disabled")
start.queryAction().doAction(0)
deadline = time.time() + 5
while time.time() < deadline and (sensitive(start) or not sensitive(stop)):
    time.sleep(0.1)
if sensitive(start) or not sensitive(stop):
    fail("pressing START through its action did not start the sound")
stop.queryAction().doAction(0)
deadline = time.time() + 5
while time.time() < deadline and not sensitive(start):
    time.sleep(0.1)
if not sensitive(start):
    fail("pressing STOP through its action did not stop the sound")
print(f"accessible tree of tocolo: {len(nodes)} objects, START and STOP pressed")
