#!/usr/bin/env bash
# Starts Ecgtrace for real under a virtual X server, in a folder with its
# companion files and a parameter file (so closing asks nothing), closes the
# main window as a window manager does and checks the program ends with 0.
# Arguments: <build dir> <source dir>
set -euo pipefail
# A real window on the virtual X server, whatever the test run exported.
export QT_QPA_PLATFORM=xcb
build=$(realpath "$1")
src=$(realpath "$2")
# Leaks of the system libraries are not ours (a sanitizer build reports them).
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$src/tests/support/lsan.supp:print_suppressions=0}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$src"/data/ecgtrace/* "$work"/
python3 - "$work/vfdef.par" <<'PY'
import sys
def r(v):
    s = f"{abs(v):.14E}"
    mant, exp = s.split("E")
    return ("-" if v < 0 else " ") + mant + "E" + exp[0] + exp[1:].zfill(4)
def line(values, label):
    return "".join(v + "\t" for v in values) + label + "\r\n"
G = 6
text = "Parameters for E(t)\r\n" + line(["6"], "G") + line(["1"], "g") + line(["1"], "Crossg")
text += "Parameters for Tg\r\n" + line([r(21.0)] * G, "f") + line([r(0.75)] * G, "F")
text += line(["6"] * G, "Te") + line(["170"] * G, "Ta") + line(["24"] * G, "Tr")
text += "Parameters for Pn\r\n" + line([r(0.1)] * G, "P0") + line(["62"] * G, "N")
text += line(["0"] * G, "NE") + line(["18"] * G, "M") + line(["14"] * G, "Nd")
text += "Parameters for A(t)\r\n" + line(["20"] * G, "s1") + line(["30"] * G, "s2")
text += line(["0"] * G, "offset")
open(sys.argv[1], "w", newline="").write(text)
PY
before=$(md5sum <"$work/vfdef.par")
cd "$work"
xvfb-run -a bash -c '
    "$1" >"$3/out.log" 2>&1 &
    pid=$!
    if ! python3 "$2" close "Simulation of Ventricular Fibrillation" 60; then
        echo "main window not found"; kill "$pid"; exit 1
    fi
    for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then
        echo "still running after the close request"; kill "$pid"; exit 1
    fi
    wait "$pid"
' smoke "$build/ecgtrace/ecgtrace" "$src/tests/smoke/xwindow.py" "$work" || {
    status=$?
    cat "$work/out.log" >&2 || true
    echo "ecgtrace smoke test failed ($status)" >&2
    exit 1
}
# Nothing was changed, so nothing was written.
[ "$(md5sum <"$work/vfdef.par")" = "$before" ]

# A parameter file named on the command line, here with a toolkit option
# before it, is read instead and named in the caption.
mkdir "$work/elsewhere"
mv "$work/vfdef.par" "$work/my-set.par"
cp "$work"/V13*.rtf "$work/elsewhere/"
cd "$work/elsewhere"
xvfb-run -a bash -c '
    "$1" -platform xcb ../my-set.par >"$3/out.log" 2>&1 &
    pid=$!
    if ! python3 "$2" close "Simulation of Ventricular Fibrillation - my-set.par" 60; then
        echo "main window with the file name not found"; kill "$pid"; exit 1
    fi
    for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$pid" 2>/dev/null; then kill "$pid"; exit 1; fi
    wait "$pid"
' smoke "$build/ecgtrace/ecgtrace" "$src/tests/smoke/xwindow.py" "$work" || {
    cat "$work/out.log" >&2 || true
    echo "ecgtrace with a named parameter file failed" >&2
    exit 1
}
# Read from there and unchanged: nothing written anywhere.
[ "$(md5sum <"$work/my-set.par")" = "$before" ]
[ ! -e "$work/elsewhere/vfdef.par" ]
echo "ecgtrace ok"
