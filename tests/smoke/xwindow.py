#!/usr/bin/env python3
"""Waits for an X window by its title and asks it to close, the way a
window manager's close box does (WM_DELETE_WINDOW).

    xwindow.py find  "TITLE" [SECONDS]   exit 0 once the window exists
    xwindow.py shown "TITLE" [SECONDS] [--or "TITLE"] [--except ID]
                                         print its id once it is on the screen
    xwindow.py close "TITLE" [SECONDS]   wait until it is shown, then request closing

--alive PID gives up waiting as soon as the program PID has ended.

Uses libX11 through ctypes, so it needs no Python packages."""
import ctypes
import ctypes.util
import os
import sys
import time

x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
Window = ctypes.c_ulong
Atom = ctypes.c_ulong

x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = Window
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XInternAtom.restype = Atom
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                           ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(ctypes.c_char_p)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XSendEvent.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XSetErrorHandler.restype = ctypes.c_void_p
x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.c_void_p]

# A window may go away between listing and asking about it: not an error here.
ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
ERROR_HANDLER = ErrorHandler(lambda display, event: 0)
x11.XSetErrorHandler.argtypes = [ErrorHandler]
x11.XSetErrorHandler(ERROR_HANDLER)
IS_VIEWABLE = 2


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class WindowAttributes(ctypes.Structure):
    # Only map_state is read; the fields before it fix its offset.
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", Window), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


def windows(display, window):
    root, parent = Window(), Window()
    children = ctypes.POINTER(Window)()
    count = ctypes.c_uint()
    if not x11.XQueryTree(display, window, ctypes.byref(root), ctypes.byref(parent),
                          ctypes.byref(children), ctypes.byref(count)):
        return
    found = [children[i] for i in range(count.value)]
    if children:
        x11.XFree(children)
    for child in found:
        yield child
        yield from windows(display, child)


def find(display, titles, viewable, excluded=()):
    for w in windows(display, x11.XDefaultRootWindow(display)):
        if w in excluded:
            continue
        name = ctypes.c_char_p()
        if not x11.XFetchName(display, w, ctypes.byref(name)) or name.value is None:
            continue
        text = name.value.decode("utf-8", "replace")
        x11.XFree(name)
        if text not in titles:
            continue
        attributes = WindowAttributes()
        if not viewable or (x11.XGetWindowAttributes(display, w, ctypes.byref(attributes))
                            and attributes.map_state == IS_VIEWABLE):
            return w
    return None


def ended(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] == "Z"
    except OSError:
        return True


def main():
    args = sys.argv[1:]
    options = {"--or": [], "--except": [], "--alive": []}
    while len(args) >= 2 and args[-2] in options:
        options[args[-2]].append(args[-1])
        args = args[:-2]
    if len(args) not in (2, 3) or args[0] not in ("find", "shown", "close"):
        print(__doc__, file=sys.stderr)
        return 2
    action, titles = args[0], [args[1]] + options["--or"]
    seconds = float(args[2]) if len(args) > 2 else 30.0
    excluded = {int(w) for w in options["--except"]}
    display = x11.XOpenDisplay(None)
    if not display:
        print("cannot open display", file=sys.stderr)
        return 2
    deadline = time.monotonic() + seconds
    while True:
        window = find(display, titles, action != "find", excluded)
        if window is not None:
            break
        if any(ended(int(pid)) for pid in options["--alive"]):
            print(f"the program ended while waiting for {args[1]!r}", file=sys.stderr)
            return 1
        if time.monotonic() >= deadline:
            print(f"no window titled {' or '.join(map(repr, titles))}", file=sys.stderr)
            return 1
        time.sleep(0.1)
    if action == "shown":
        print(window)
    elif action == "close":
        event = XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window
        event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
        x11.XSync(display, 0)
    return 0


if __name__ == "__main__":
    sys.exit(main())
