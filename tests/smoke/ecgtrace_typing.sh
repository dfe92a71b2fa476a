#!/usr/bin/env bash
# Types into the real Ecgtrace with X key events under a virtual X server:
# s1 on the A(t) tab through "-" to "-5" (no box may come up on the way),
# then "12" over G on the E(t) tab, and closes the window while G is still
# being typed. The save dialog proposes "vfdef.par"; Enter saves over it
# without a further question, and the saved file holds both typed values.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
cp "$src"/data/ecgtrace/* "$work"/
smoke_ecgtrace_par "$work/vfdef.par"
cd "$work"
smoke_x
title="Simulation of Ventricular Fibrillation"
smoke_start "$work/out.log" "$build/ecgtrace/ecgtrace"
smoke_window "$title"
main=$window
xdotool windowfocus --sync "$main"
# A(t) tab by Ctrl+PageDown; Tab past its "signal analysis" button and
# the A(t) plot to s1.
xdotool key --delay 100 ctrl+Next ctrl+Next ctrl+Next Tab Tab Tab ctrl+a minus 5 Tab
# Back to E(t); type over G without ending the editing, then close. The
# program takes the keys, the click and the close request in their order.
xdotool key --delay 100 ctrl+Prior ctrl+Prior
xdotool mousemove --window "$main" 419 82 click 1
xdotool key --delay 100 ctrl+a 1 2
smoke_close "$title"
# An error box while typing would be a window titled "VF simulation",
# shown before the save dialog could be.
smoke_window "Save As" --or "VF simulation"
python3 "$xwindow" shown "VF simulation" 0 &>/dev/null && smoke_fail "an error box came up while typing"
xdotool windowfocus --sync "$window" key Return
smoke_ended "still running: another question after saving?"
[ "$smoke_status" -eq 0 ] || smoke_fail "ecgtrace ended with $smoke_status"
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
