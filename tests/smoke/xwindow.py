#!/usr/bin/env python3
"""Finds a top-level X window by its title and asks it to close, the way a
window manager's close box does (WM_DELETE_WINDOW).

    xwindow.py find  "TITLE" [SECONDS]   exit 0 once the window exists
    xwindow.py close "TITLE" [SECONDS]   wait for it, then request closing

Uses libX11 through ctypes, so it needs no Python packages."""
import ctypes
import ctypes.util
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


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


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


def find(display, title):
    for w in windows(display, x11.XDefaultRootWindow(display)):
        name = ctypes.c_char_p()
        if x11.XFetchName(display, w, ctypes.byref(name)) and name.value is not None:
            text = name.value.decode("utf-8", "replace")
            x11.XFree(name)
            if text == title:
                return w
    return None


def main():
    if len(sys.argv) < 3 or sys.argv[1] not in ("find", "close"):
        print(__doc__, file=sys.stderr)
        return 2
    action, title = sys.argv[1], sys.argv[2]
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 30.0
    display = x11.XOpenDisplay(None)
    if not display:
        print("cannot open display", file=sys.stderr)
        return 2
    deadline = time.time() + seconds
    window = None
    while window is None and time.time() < deadline:
        window = find(display, title)
        if window is None:
            time.sleep(0.2)
    if window is None:
        print(f"no window titled {title!r}", file=sys.stderr)
        return 1
    if action == "close":
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
