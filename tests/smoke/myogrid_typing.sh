#!/usr/bin/env bash
# Types into Myogrid's parameter fields with real X key events (Delete and
# Backspace among them), saves the parameters and leaves with "exit", then
# checks the file written. Done once with LC_ALL=C and once on a desktop
# with decimal commas (de_DE.UTF-8): both files must be the same.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
locale -a | grep -qix 'de_DE\.utf-\?8' || { echo "locale de_DE.UTF-8 missing (test.sh generates it)"; exit 1; }
cd "$work"
smoke_myogrid_par Myogrid.par
smoke_x
title="ventricular fibrillation models"
# The program takes the clicks and keys in their order: only new windows
# are waited for. Positions are relative to the windows.
click() { xdotool mousemove --sync --window "$1" "$2" "$3" click 1; }
keys() { xdotool key --delay 60 "$@"; }

for locale in C de_DE.UTF-8; do
    saved="$work/saved-$locale.par"
    LC_ALL=$locale smoke_start "$work/session-$locale.log" "$build/myogrid/myogrid"
    smoke_window "$title"
    launcher=$window
    click "$launcher" 145 21    # tab "levels"
    click "$launcher" 50 45     # level "1"
    click "$launcher" 175 138   # "3-dimensional block of model cells"
    smoke_window "$title" --except "$launcher"
    model=$window
    click "$model" 240 361      # "parameters"
    click "$model" 130 320      # "x nexus": 18
    keys Home Delete            # 8
    click "$model" 335 380      # "diversity": 0.5
    keys ctrl+a Delete
    xdotool type --delay 60 "0.255"
    keys Left Delete            # 0.25
    click "$model" 130 350      # "xy, xz nexus": 3
    keys End BackSpace 7        # 7
    click "$model" 27 259       # "return"
    click "$model" 35 361       # "save parameters"
    xdotool windowraise "$launcher" # no window manager raises it
    click "$launcher" 30 21     # tab "title"
    click "$launcher" 175 218   # "exit": the save dialog
    smoke_window "Save As"
    xdotool windowfocus --sync "$window"
    keys ctrl+a
    xdotool type --delay 30 "$saved"
    keys Return
    smoke_ended "still running after exit"
    [ "$smoke_status" -eq 0 ] || smoke_fail "typing session under $locale ended with $smoke_status"
    grep -q $'^x nexus=8\r$' "$saved" || { echo "$locale: x nexus"; cat "$saved"; exit 1; }
    grep -q $'^xy, xz nexus=7\r$' "$saved" || { echo "$locale: xy, xz nexus"; exit 1; }
    grep -q $'^diversity=0.25\r$' "$saved" || { echo "$locale: diversity"; cat "$saved"; exit 1; }
    grep -q $'^F=0.75\r$' "$saved" || { echo "$locale: F"; exit 1; }
done
cmp "saved-C.par" "saved-de_DE.UTF-8.par"
echo "myogrid typing ok"
