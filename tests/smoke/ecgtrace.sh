#!/usr/bin/env bash
# Starts Ecgtrace for real under a virtual X server, in a folder with its
# companion files and a parameter file (so closing asks nothing), closes the
# main window as a window manager does and checks the program ends with 0.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
cp "$src"/data/ecgtrace/* "$work"/
smoke_ecgtrace_par "$work/vfdef.par"
before=$(md5sum <"$work/vfdef.par")
smoke_x
# run TITLE ARGS...: starts Ecgtrace, closes the window TITLE; it ends with 0.
run() {
    smoke_start "$work/out.log" "$build/ecgtrace/ecgtrace" "${@:2}"
    smoke_close "$1"
    smoke_ended "still running after the close request"
    [ "$smoke_status" -eq 0 ] || smoke_fail "ecgtrace ended with $smoke_status"
}
cd "$work"
run "Simulation of Ventricular Fibrillation"
# Nothing was changed, so nothing was written.
[ "$(md5sum <"$work/vfdef.par")" = "$before" ]

# A parameter file named on the command line, here with a toolkit option
# before it, is read instead and named in the caption.
mkdir "$work/elsewhere"
mv "$work/vfdef.par" "$work/my-set.par"
cp "$work"/V13*.rtf "$work/elsewhere/"
cd "$work/elsewhere"
run "Simulation of Ventricular Fibrillation - my-set.par" -platform xcb ../my-set.par
# Read from there and unchanged: nothing written anywhere.
[ "$(md5sum <"$work/my-set.par")" = "$before" ]
[ ! -e "$work/elsewhere/vfdef.par" ]
echo "ecgtrace ok"
