#!/usr/bin/env bash
# Reads Ecgtrace's accessible tree through AT-SPI, as a screen reader does:
# the program runs under a virtual X server with its own D-Bus session and
# accessibility bus. Skipped (status 77) only when that bus cannot start.
# Arguments: <build dir> <source dir>
set -euo pipefail
export QT_QPA_PLATFORM=xcb
build=$(realpath "$1")
src=$(realpath "$2")
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$src/tests/support/lsan.supp:print_suppressions=0}"
# Debian's python3-pyatspi belongs to the system's Python.
py=/usr/bin/python3
[ -x "$py" ] || py=python3
if ! command -v dbus-run-session >/dev/null || ! "$py" -c 'import pyatspi' 2>/dev/null; then
    echo "SKIPPED: dbus-run-session or python3-pyatspi is missing"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src"/data/ecgtrace/* "$work"/
cd "$work"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" dbus-run-session -- bash -c '
    # The accessibility bus is started on demand by the session bus.
    if ! dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus \
            org.a11y.Bus.GetAddress >/dev/null 2>&1; then
        echo "SKIPPED: the AT-SPI bus does not start"; exit 77
    fi
    dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus \
        org.freedesktop.DBus.Properties.Set string:org.a11y.Status \
        string:IsEnabled variant:boolean:true >/dev/null 2>&1 || true
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$1" >"$2/out.log" 2>&1 &
    pid=$!
    "$3" - <<'"'"'PY'"'"'
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

window = None
for _ in range(60):
    window = find_window()
    if window is not None:
        break
    time.sleep(0.5)
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
    result=$?
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    exit $result
' smoke "$build/ecgtrace/ecgtrace" "$work" "$py" || status=$?
if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
    cat "$work/out.log" >&2 || true
    echo "accessibility smoke test failed ($status)" >&2
fi
exit "$status"
