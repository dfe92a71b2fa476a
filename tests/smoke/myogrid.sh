#!/usr/bin/env bash
# Starts Myogrid for real under a virtual X server, in a folder with a
# parameter file whose browser and book exist (so nothing is asked), closes
# the launcher as a window manager does and checks the program ends with 0
# and leaves the parameter file alone.
# Arguments: <build dir> <source dir>
set -euo pipefail
# A real window on the virtual X server, whatever the test run exported.
export QT_QPA_PLATFORM=xcb
build=$(realpath "$1")
src=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$src/tests/support/lsan.supp:print_suppressions=0}"
printf '#!/bin/sh\nexit 0\n' >"$work/browser"
chmod +x "$work/browser"
mkdir "$work/book"
echo '<html></html>' >"$work/book/VFtitel.htm"
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
lines = ["[Path]", "Browser=" + work + "/browser", "Book=" + work + "/book/VFtitel.htm", "", "[Parameters]"]
values = [("dimension=", "10"), ("x nexus=", "18"), ("xy, xz nexus=", "3"), ("xyz nexus=", "1"),
          ("threshold=", "14"), ("excited=", "4"), ("active=", "170"), ("abs. refr.=", "24"),
          ("diversity=", "0.5"), ("refractory=", "90"), ("step unit=", "2"), ("cell 1 x=", "5"),
          ("cell 1 y=", "5"), ("cell 1 z=", "5"), ("cell 2 x=", "10"), ("cell 2 y=", "0"),
          ("cell 2 z=", "0"), ("L=", "-0.22"), ("C=", "42"), ("F=", "0.75"), ("period=", "4000"),
          ("extra interval=", "220"), ("env. weight=", "0.95"), ("start fraction=", "0.17"),
          ("phase variability=", "0.05"), ("period variability=", "0.01"), ("osc. step unit=", "2"),
          ("osc. dimension=", "5"), ("osc. 1 x=", "2"), ("osc. 1 y=", "2"), ("osc. 1 z=", "0"),
          ("osc. 2 x=", "5"), ("osc. 2 y=", "0"), ("osc. 2 z=", "0")]
lines += [k + v for k, v in values]
open(work + "/Myogrid.par", "w", newline="").write("".join(l + "\r\n" for l in lines))
PY
before=$(md5sum <"$work/Myogrid.par")
cd "$work"
xvfb-run -a bash -c '
    "$1" >"$3/out.log" 2>&1 &
    pid=$!
    if ! python3 "$2" close "ventricular fibrillation models" 60; then
        echo "launcher window not found"; kill "$pid"; exit 1
    fi
    for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        echo "still running after the close request"; kill "$pid"; exit 1
    fi
    wait "$pid"
' smoke "$build/myogrid/myogrid" "$src/tests/smoke/xwindow.py" "$work" || {
    status=$?
    cat "$work/out.log" >&2 || true
    echo "myogrid smoke test failed ($status)" >&2
    exit 1
}
# Nothing was changed, so nothing was written.
[ "$(md5sum <"$work/Myogrid.par")" = "$before" ]

# A parameter file named on the command line, here with a toolkit option
# before it, is read instead and named in the caption.
mkdir "$work/elsewhere"
mv "$work/Myogrid.par" "$work/lab.par"
cd "$work/elsewhere"
xvfb-run -a bash -c '
    "$1" -platform xcb ../lab.par >"$3/out.log" 2>&1 &
    pid=$!
    if ! python3 "$2" close "ventricular fibrillation models - lab.par" 60; then
        echo "launcher window with the file name not found"; kill "$pid"; exit 1
    fi
    for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then kill "$pid"; exit 1; fi
    wait "$pid"
' smoke "$build/myogrid/myogrid" "$src/tests/smoke/xwindow.py" "$work" || {
    cat "$work/out.log" >&2 || true
    echo "myogrid with a named parameter file failed" >&2
    exit 1
}
# Read from there: no questions, nothing changed, nothing written here.
[ "$(md5sum <"$work/lab.par")" = "$before" ]
[ -z "$(ls -A "$work/elsewhere")" ]
echo "myogrid ok"
