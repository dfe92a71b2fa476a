# Shared by the smoke scripts, sourced with the script's arguments
# <build dir> <source dir>. Gives a private working folder ($work, removed on
# exit), one virtual X server on demand, programs started in the background
# with their output kept, and waits for conditions instead of fixed pauses:
# each wait has a generous deadline (a busy machine under sanitizers is slow)
# and fails with a message and the programs' output.
set -euo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
xwindow="$src/tests/smoke/xwindow.py"
# Leaks of the system libraries are not ours (a sanitizer build reports them).
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$src/tests/support/lsan.supp:print_suppressions=0}"
smoke_deadline=120
work=$(mktemp -d)
smoke_logs=()
smoke_cleanups=()

# smoke_on_exit COMMAND: run when the script ends, the last registered first.
smoke_on_exit() { smoke_cleanups+=("$1"); }
smoke_exit() {
    local status=$? i
    for ((i = ${#smoke_cleanups[@]} - 1; i >= 0; i--)); do eval "${smoke_cleanups[i]}" || true; done
    rm -rf "$work"
    exit "$status"
}
trap smoke_exit EXIT

# smoke_fail MESSAGE: the output of every program started, the message, status 1.
smoke_fail() {
    local log
    for log in "${smoke_logs[@]}"; do
        [ -s "$log" ] && { echo "--- $log"; cat "$log"; } >&2
    done
    echo "$1" >&2
    exit 1
}

# smoke_until MESSAGE COMMAND...: polls COMMAND until it succeeds.
smoke_until() {
    local message=$1 deadline=$((SECONDS + smoke_deadline))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || smoke_fail "$message (after $smoke_deadline s)"
        sleep 0.1
    done
}

# smoke_x: one virtual X server for this script, stopped on exit; programs
# started afterwards show real windows on it. It must not reset when its
# last client leaves: a program connecting just then would find no server.
smoke_x() {
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/.display" \
        >"$work/.xvfb.log" 2>&1 &
    smoke_on_exit "kill $!; wait $! 2>/dev/null"
    smoke_logs+=("$work/.xvfb.log")
    smoke_until "the virtual X server did not start" grep -qs '^[0-9]\+$' "$work/.display"
    export DISPLAY=":$(cat "$work/.display")" QT_QPA_PLATFORM=xcb
}

# smoke_start LOG COMMAND...: COMMAND in the background, its output in LOG,
# its pid in $smoke_pid; ended on exit if still running.
smoke_start() {
    local log=$1
    shift
    "$@" >"$log" 2>&1 &
    smoke_pid=$!
    smoke_logs+=("$log")
    smoke_on_exit "kill $smoke_pid 2>/dev/null; wait $smoke_pid 2>/dev/null"
}

# smoke_ended MESSAGE: until the program last started has ended (MESSAGE if
# it has not); its status in $smoke_status.
smoke_ended() {
    smoke_until "$1" eval '! kill -0 "$smoke_pid" 2>/dev/null'
    smoke_status=0
    wait "$smoke_pid" || smoke_status=$?
}

# smoke_window TITLE [xwindow.py options]: until a window with TITLE is on
# the screen (given up if the program last started ends); its id in $window.
smoke_window() {
    window=$(python3 "$xwindow" shown "$1" "$smoke_deadline" "${@:2}" --alive "$smoke_pid") ||
        smoke_fail "no window '$1' shown"
}

# smoke_close TITLE: asks the shown window with TITLE to close, as a window
# manager's close box does.
smoke_close() {
    python3 "$xwindow" close "$1" "$smoke_deadline" --alive "$smoke_pid" ||
        smoke_fail "no window '$1' to close"
}

# smoke_ecgtrace_par FILE: Ecgtrace's parameters for six equal groups.
smoke_ecgtrace_par() {
    smoke_row() { printf "$1\\t%.0s" 1 2 3 4 5 6; printf '%s\r\n' "$2"; }
    {
        printf 'Parameters for E(t)\r\n6\tG\r\n1\tg\r\n1\tCrossg\r\nParameters for Tg\r\n'
        smoke_row ' 2.10000000000000E+0001' f
        smoke_row ' 7.50000000000000E-0001' F
        smoke_row 6 Te && smoke_row 170 Ta && smoke_row 24 Tr
        printf 'Parameters for Pn\r\n'
        smoke_row ' 1.00000000000000E-0001' P0
        smoke_row 62 N && smoke_row 0 NE && smoke_row 18 M && smoke_row 14 Nd
        printf 'Parameters for A(t)\r\n'
        smoke_row 20 s1 && smoke_row 30 s2 && smoke_row 0 offset
    } >"$1"
}

# smoke_myogrid_par FILE [KEY=VALUE...]: Myogrid's parameters with the values
# given replaced, and a browser and a book that exist (so nothing is asked).
smoke_myogrid_par() {
    local file=$1 line key
    shift
    printf '#!/bin/sh\nexit 0\n' >"$work/.browser"
    chmod +x "$work/.browser"
    mkdir -p "$work/.book"
    echo '<html></html>' >"$work/.book/VFtitel.htm"
    {
        printf '[Path]\r\nBrowser=%s\r\nBook=%s\r\n\r\n[Parameters]\r\n' \
            "$work/.browser" "$work/.book/VFtitel.htm"
        for line in dimension=10 "x nexus=18" "xy, xz nexus=3" "xyz nexus=1" threshold=14 \
            excited=4 active=170 "abs. refr.=24" diversity=0.5 refractory=90 "step unit=2" \
            "cell 1 x=5" "cell 1 y=5" "cell 1 z=5" "cell 2 x=10" "cell 2 y=0" "cell 2 z=0" \
            L=-0.22 C=42 F=0.75 period=4000 "extra interval=220" "env. weight=0.95" \
            "start fraction=0.17" "phase variability=0.05" "period variability=0.01" \
            "osc. step unit=2" "osc. dimension=5" "osc. 1 x=2" "osc. 1 y=2" "osc. 1 z=0" \
            "osc. 2 x=5" "osc. 2 y=0" "osc. 2 z=0"; do
            for key in "$@"; do [ "${key%%=*}" = "${line%%=*}" ] && line=$key; done
            printf '%s\r\n' "$line"
        done
    } >"$file"
}
