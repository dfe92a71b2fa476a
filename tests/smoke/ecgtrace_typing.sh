#!/usr/bin/env bash
# Types into the real Ecgtrace with X key events under a virtual X server:
# s1 on the A(t) tab through "-" to "-5" (no box may come up on the way),
# then "12" over G on the E(t) tab, and closes the window while G is still
# being typed. The save dialog proposes "vfdef.par"; Enter saves over it
# without a further question, and the saved file holds both typed values.
# Arguments: <build dir> <source dir>
set -euo pipefail
export QT_QPA_PLATFORM=xcb
build=$(realpath "$1")
src=$(realpath "$2")
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
cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -u
    title="Simulation of Ventricular Fibrillation"
    program=$1 xwindow=$2 workdir=$3
    "$program" >"$workdir/out.log" 2>&1 &
    pid=$!
    fail() { echo "$1"; kill "$pid" 2>/dev/null; exit 1; }
    python3 "$xwindow" find "$title" 60 || fail "main window not found"
    sleep 1
    wid=$(xdotool search --name "$title" | head -1)
    xdotool windowfocus --sync "$wid"
    # A(t) tab by Ctrl+PageDown; Tab past its "signal analysis" button and
    # the A(t) plot to s1.
    xdotool key --delay 100 ctrl+Next ctrl+Next ctrl+Next Tab Tab Tab ctrl+a minus 5 Tab
    sleep 0.5
    # An error box would be a second top-level window titled "VF simulation".
    if xdotool search --name "^VF simulation$" >/dev/null 2>&1; then fail "an error box came up while typing"; fi
    # Back to E(t); type over G without ending the editing, then close.
    xdotool key --delay 100 ctrl+Prior ctrl+Prior
    sleep 0.3
    xdotool mousemove --window "$wid" 419 82 click 1
    xdotool key --delay 100 ctrl+a 1 2
    sleep 0.3
    python3 "$xwindow" close "$title" 10 || fail "could not ask the window to close"
    python3 "$xwindow" find "Save As" 30 || fail "no save dialog"
    sleep 0.5
    xdotool key Return
    for _ in $(seq 1 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && fail "still running: another question after saving?"
    wait "$pid"
' smoke "$build/ecgtrace/ecgtrace" "$src/tests/smoke/xwindow.py" "$work" || {
    status=$?
    cat "$work/out.log" >&2 || true
    echo "ecgtrace typing smoke test failed ($status)" >&2
    exit 1
}
python3 - "$work/vfdef.par" <<'PY'
import sys
lines = open(sys.argv[1], newline="").read().split("\r\n")
G = lines[1].split("\t")
s1 = lines[17].split("\t")
assert G == ["12", "G"], G
assert s1[0] == "-5" and s1[1:6] == ["20"] * 5, s1
assert lines[2].split("\t")[0] == "1" and lines[3].split("\t")[0] == "1", lines[2:4]
PY
echo "ecgtrace typing ok"
