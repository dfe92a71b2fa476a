#!/usr/bin/env bash
# Starts Myogrid for real under a virtual X server, in a folder with a
# parameter file whose browser and book exist (so nothing is asked), closes
# the launcher as a window manager does and checks the program ends with 0
# and leaves the parameter file alone.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
smoke_myogrid_par "$work/Myogrid.par"
before=$(md5sum <"$work/Myogrid.par")
smoke_x
# run TITLE ARGS...: starts Myogrid, closes the window TITLE; it ends with 0.
run() {
    smoke_start "$work/out.log" "$build/myogrid/myogrid" "${@:2}"
    smoke_close "$1"
    smoke_ended "still running after the close request"
    [ "$smoke_status" -eq 0 ] || smoke_fail "myogrid ended with $smoke_status"
}
cd "$work"
run "ventricular fibrillation models"
# Nothing was changed, so nothing was written.
[ "$(md5sum <"$work/Myogrid.par")" = "$before" ]

# A parameter file named on the command line, here with a toolkit option
# before it, is read instead and named in the caption.
mkdir "$work/elsewhere"
mv "$work/Myogrid.par" "$work/lab.par"
cd "$work/elsewhere"
run "ventricular fibrillation models - lab.par" -platform xcb ../lab.par
# Read from there: no questions, nothing changed, nothing written here.
[ "$(md5sum <"$work/lab.par")" = "$before" ]
[ -z "$(ls -A "$work/elsewhere")" ]
echo "myogrid ok"
