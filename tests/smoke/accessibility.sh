#!/usr/bin/env bash
# Reads Ecgtrace's accessible tree through AT-SPI, as a screen reader does:
# the program runs under a virtual X server with its own D-Bus session and
# accessibility bus. Skipped (status 77) only when that bus cannot start.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
# Debian's python3-pyatspi belongs to the system's Python.
py=/usr/bin/python3
[ -x "$py" ] || py=python3
if ! command -v dbus-daemon >/dev/null || ! "$py" -c 'import pyatspi' 2>/dev/null; then
    echo "SKIPPED: dbus-daemon or python3-pyatspi is missing"
    exit 77
fi
cp "$src"/data/ecgtrace/* "$work"/
cd "$work"
smoke_x
# A session bus of our own; it starts the accessibility bus on demand.
{ read -r DBUS_SESSION_BUS_ADDRESS && read -r bus_pid; } < <(dbus-daemon --session --fork \
    --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
smoke_on_exit "kill $bus_pid"
if ! dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus \
        org.a11y.Bus.GetAddress >/dev/null 2>&1; then
    echo "SKIPPED: the AT-SPI bus does not start"; exit 77
fi
dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus \
    org.freedesktop.DBus.Properties.Set string:org.a11y.Status \
    string:IsEnabled variant:boolean:true >/dev/null 2>&1 || true
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 smoke_start "$work/out.log" "$build/ecgtrace/ecgtrace"
"$py" - "$smoke_deadline" <<'PY' || smoke_fail "accessibility smoke test failed"
import sys, time
import pyatspi

def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for i in range(node.childCount):
        try:
            yield from walk(node.getChildAtIndex(i), depth + 1)
        except Exception:
            pass

def find_window():
    for app in pyatspi.Registry.getDesktop(0):
        if app is None:
            continue
        for window in app:
            if window is not None and window.name.startswith("Simulation of Ventricular Fibrillation"):
                return window
    return None

deadline = time.monotonic() + float(sys.argv[1])
window = find_window()
while window is None and time.monotonic() < deadline:
    time.sleep(0.2)
    window = find_window()
if window is None:
    sys.exit("main window not found on the AT-SPI bus")

nodes = {}
for node in walk(window):
    nodes.setdefault(node.name, []).append(node)
failures = []
def expect(name, role, description_start=""):
    found = [n for n in nodes.get(name, []) if n.getRoleName() == role]
    if not found:
        roles = [n.getRoleName() for n in nodes.get(name, [])]
        failures.append(f"no {role} named {name!r} (roles seen: {roles})")
    elif description_start and not any(
            n.description.startswith(description_start) for n in found):
        failures.append(f"{name!r}: description {found[0].description!r}")
expect("s1", "text")
expect("increase s1", "push button")
expect("Te", "text")
expect("A(t)", "chart", "A(t) of group 1: k ms from 0 to ")
expect("about", "push button")
if failures:
    sys.exit("\n".join(failures))
print("accessible tree read")
PY
