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


def focus_biggest_window():
    """Gives the X input focus to the program's main window, as a window
    manager would when the user clicks it; without one, Qt's window never
    becomes active and reports no focus to a reader."""
    import ctypes
    import ctypes.util
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                               ctypes.POINTER(ctypes.c_ulong),
                               ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                               ctypes.POINTER(ctypes.c_uint)]
    x11.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong)] + \
        [ctypes.POINTER(ctypes.c_int)] * 2 + [ctypes.POINTER(ctypes.c_uint)] * 4
    x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
    x11.XRaiseWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class Attributes(ctypes.Structure):
        _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                    ("height", ctypes.c_int), ("border_width", ctypes.c_int),
                    ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                    ("root", ctypes.c_ulong), ("c_class", ctypes.c_int),
                    ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                    ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                    ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                    ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                    ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                    ("your_event_mask", ctypes.c_long),
                    ("do_not_propagate_mask", ctypes.c_long),
                    ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]

    x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                         ctypes.POINTER(Attributes)]
    display = x11.XOpenDisplay(None)
    if not display:
        return False
    root = x11.XDefaultRootWindow(display)
    root_return, parent = ctypes.c_ulong(), ctypes.c_ulong()
    children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
    x11.XQueryTree(display, root, ctypes.byref(root_return), ctypes.byref(parent),
                   ctypes.byref(children), ctypes.byref(count))
    best, best_area = 0, 0
    for i in range(count.value):
        attributes = Attributes()
        if not x11.XGetWindowAttributes(display, children[i], ctypes.byref(attributes)):
            continue
        area = attributes.width * attributes.height
        # 2: IsViewable
        if attributes.map_state == 2 and not attributes.override_redirect and area > best_area:
            best, best_area = children[i], area
    if best:
        x11.XRaiseWindow(display, best)
        x11.XSetInputFocus(display, best, 2, 0)  # RevertToParent, CurrentTime
        x11.XSync(display, 0)
    x11.XCloseDisplay(display)
    return bool(best)


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
    if not focus_biggest_window():
        print("FAIL: no mapped window to give the keyboard to")
        return 1
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
    # F1, Enter assigns it. Typing selects a key only while the picture has
    # the focus; a screen reader user puts it there as a reader does.
    try:
        picture.queryComponent().grabFocus()
    except Exception:
        pass
    time.sleep(0.5)
    key(pyatspi, "w")
    w = [picture.getChildAtIndex(i) for i in range(picture.childCount)
         if picture.getChildAtIndex(i).name == "W"][0]
    if not wait_for(lambda: w.getState().contains(pyatspi.STATE_SELECTED), 10):
        failures.append("typing w did not select W")
    key(pyatspi, "Return")
    def find_picker():
        for node in walk(app):
            if node.childCount >= 60 and node != picture and (
                    node.getState().contains(pyatspi.STATE_FOCUSED)
                    or focused_child(pyatspi, node) is not None):
                return node
        return None

    picker = wait_for(find_picker, 10)
    if picker is None:
        for node in walk(app):
            if node.getState().contains(pyatspi.STATE_FOCUSED):
                print("focus is on %s %r (%d children)" % (node.getRoleName(), node.name,
                                                          node.childCount))
    if picker is None:
        failures.append("Enter did not move the focus into the picker")
    else:
        for _ in range(30):
            # A loaded machine may take a while to move the cursor.
            now = wait_for(lambda: focused_child(pyatspi, picker), 5)
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
