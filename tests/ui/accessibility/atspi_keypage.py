#!/usr/bin/python3
"""Reads the real window through AT-SPI, as a screen reader does: every key
of the key page's picture is exposed with its name, and W is remapped to F1
with the keyboard alone (key events through XTest, the result read back from
the tree). Runs the program on the simulated keyboard under its own Xvfb and
D-Bus session. Exit 77: what it needs is not installed (ctest: skipped)."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77


def need(ok, what):
    if not ok:
        print("SKIP: %s is missing (Debian: at-spi2-core, python3-pyatspi, dbus, xvfb)" % what)
        sys.exit(SKIP)


def main():
    binary = sys.argv[1] if len(sys.argv) > 1 else ""
    need(os.path.exists(binary), "the program " + binary)
    need(shutil.which("Xvfb"), "Xvfb")
    need(shutil.which("dbus-run-session"), "dbus-run-session")
    need(os.path.exists("/usr/libexec/at-spi-bus-launcher"), "at-spi-bus-launcher")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        need(False, "pyatspi")
    if os.environ.get("ZENTARO_ATSPI_SESSION") != "1":
        # A D-Bus session of our own, so that the accessibility bus is ours.
        env = dict(os.environ, ZENTARO_ATSPI_SESSION="1")
        os.execvpe("dbus-run-session", ["dbus-run-session", "--", sys.executable] + sys.argv, env)
    return run(binary)


def start_xvfb():
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1600x1000x24",
                             "-nolisten", "tcp"], pass_fds=(write,))
    os.close(write)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read, 16)
        if not chunk:
            break
        number += chunk
    os.close(read)
    return xvfb, ":" + number.decode().strip()


def wait_for(what, timeout=30.0):
    end = time.time() + timeout
    while time.time() < end:
        found = what()
        if found:
            return found
        time.sleep(0.2)
    return None


def run(binary):
    xvfb, display = start_xvfb()
    os.environ["DISPLAY"] = display
    launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    time.sleep(1.0)
    home = tempfile.mkdtemp(prefix="zentaro-atspi-")
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=home + "/config",
               XDG_DATA_HOME=home + "/data", XDG_CACHE_HOME=home + "/cache",
               QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C.UTF-8", LC_ALL="C.UTF-8")
    app = subprocess.Popen([binary, "--simulate=" + home + "/kb.state"], env=env)
    try:
        return check(app)
    finally:
        app.terminate()
        try:
            app.wait(10)
        except subprocess.TimeoutExpired:
            app.kill()
        launcher.terminate()
        xvfb.terminate()
        shutil.rmtree(home, ignore_errors=True)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def application(pyatspi):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and "zentaro" in (app.name or "").lower():
            return app
    return None


def picture_of(app):
    # The key picture: the node whose children are the keys, W among them.
    for node in walk(app):
        if node.childCount >= 60:
            names = [node.getChildAtIndex(i).name for i in range(node.childCount)]
            if "W" in names and "Esc" in names and node.getChildAtIndex(0).getRoleName() in (
                    "push button", "button"):
                showing = node.getState().contains(__import__("pyatspi").STATE_SHOWING)
                if showing:
                    return node
    return None


def key(pyatspi, name, modifiers=()):
    from gi.repository import Atspi
    keysyms = {"Control_L": 0xFFE3, "Return": 0xFF0D, "Right": 0xFF53, "Down": 0xFF54,
               "w": ord("w"), "1": ord("1")}
    for m in modifiers:
        Atspi.generate_keyboard_event(keysyms[m], None, Atspi.KeySynthType.PRESS | Atspi.KeySynthType.SYM)
    Atspi.generate_keyboard_event(keysyms[name], None, Atspi.KeySynthType.PRESSRELEASE | Atspi.KeySynthType.SYM)
    for m in modifiers:
        Atspi.generate_keyboard_event(keysyms[m], None, Atspi.KeySynthType.RELEASE | Atspi.KeySynthType.SYM)
    time.sleep(0.3)


def focused_child(pyatspi, node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child.getState().contains(pyatspi.STATE_FOCUSED):
            return child
    return None


def check(app_process):
    import pyatspi
    from gi.repository import Atspi
    app = wait_for(lambda: application(pyatspi), 40)
    if app is None:
        print("FAIL: the program never appeared on the accessibility bus")
        return 1
    # The pointer over the window: without a window manager the keyboard
    # goes where the pointer is.
    window = app.getChildAtIndex(0)
    extents = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    Atspi.generate_mouse_event(extents.x + extents.width // 2, extents.y + 20, "abs")
    time.sleep(0.5)
    # Focus into the window through the tree (no window manager gives it).
    for node in walk(app):
        if node.getState().contains(pyatspi.STATE_FOCUSABLE) and node.getState().contains(
                pyatspi.STATE_SHOWING):
            try:
                node.queryComponent().grabFocus()
                break
            except Exception:
                continue
    time.sleep(0.5)
    key(pyatspi, "1", ("Control_L",))  # Ctrl+1: the key page
    picture = wait_for(lambda: picture_of(app), 30)
    if picture is None:
        print("FAIL: no key picture with named keys in the tree")
        return 1
    failures = []
    names = set()
    for i in range(picture.childCount):
        child = picture.getChildAtIndex(i)
        box = child.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if not child.name:
            failures.append("key %d has no name" % i)
        if box.width <= 0 or box.height <= 0:
            failures.append("key %s has no size" % child.name)
        names.add(child.name)
    for wanted in ("Esc", "F1", "W", "A", "S", "D"):
        if wanted not in names:
            failures.append("no key named " + wanted)
    print("%d keys, e.g. %s" % (picture.childCount, sorted(names)[:12]))

    # Keyboard alone: W selects W, Enter goes to the picker, Right walks to
    # F1, Enter assigns it.
    key(pyatspi, "w")
    w = [picture.getChildAtIndex(i) for i in range(picture.childCount)
         if picture.getChildAtIndex(i).name == "W"][0]
    if not w.getState().contains(pyatspi.STATE_SELECTED):
        failures.append("typing w did not select W")
    key(pyatspi, "Return")
    picker = None
    for node in walk(app):
        if node.childCount >= 60 and node != picture and focused_child(pyatspi, node) is not None:
            picker = node
            break
    if picker is None:
        failures.append("Enter did not move the focus into the picker")
    else:
        for _ in range(30):
            now = focused_child(pyatspi, picker)
            if now is not None and now.name == "F1":
                break
            key(pyatspi, "Right")
        now = focused_child(pyatspi, picker)
        if now is None or now.name != "F1":
            failures.append("F1 not reached with the arrows in the picker")
        else:
            key(pyatspi, "Return")
            bound = wait_for(lambda: "F1" in (w.description or ""), 10)
            if not bound:
                failures.append("W does not read as F1 after the remap: %r" % w.description)
    for f in failures:
        print("FAIL: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
