#!/usr/bin/env bash
# Types into Myogrid's parameter fields with real X key events (Delete and
# Backspace among them), saves the parameters and leaves with "exit", then
# checks the file written. Done once with LC_ALL=C and once on a desktop
# with decimal commas (de_DE.UTF-8): both files must be the same.
# Arguments: <build dir> <source dir>
set -euo pipefail
export QT_QPA_PLATFORM=xcb
build=$(realpath "$1")
src=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$src/tests/support/lsan.supp:print_suppressions=0}"
locale -a | grep -qix 'de_DE\.utf-\?8' || { echo "locale de_DE.UTF-8 missing (test.sh generates it)"; exit 1; }

printf '#!/bin/sh\nexit 0\n' >"$work/browser"
chmod +x "$work/browser"
mkdir "$work/book"
echo '<html></html>' >"$work/book/VFtitel.htm"
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
lines = ["[Path]", "Browser=" + work + "/browser", "Book=" + work + "/book/VFtitel.htm", "", "[Parameters]"]
lines += ("dimension=10|x nexus=18|xy, xz nexus=3|xyz nexus=1|threshold=14|excited=4|active=170|"
          "abs. refr.=24|diversity=0.5|refractory=90|step unit=2|cell 1 x=5|cell 1 y=5|cell 1 z=5|"
          "cell 2 x=10|cell 2 y=0|cell 2 z=0|L=-0.22|C=42|F=0.75|period=4000|extra interval=220|"
          "env. weight=0.95|start fraction=0.17|phase variability=0.05|period variability=0.01|"
          "osc. step unit=2|osc. dimension=5|osc. 1 x=2|osc. 1 y=2|osc. 1 z=0|osc. 2 x=5|"
          "osc. 2 y=0|osc. 2 z=0").split("|")
open(work + "/Myogrid.par", "w", newline="").write("".join(l + "\r\n" for l in lines))
PY

# The clicks and keys of one session; positions are relative to the windows.
cat >"$work/session.sh" <<'SESSION'
set -euo pipefail
program=$1 saved=$2
"$program" >session.log 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
wait_for() {  # a visible window with the title, other than $2
    for _ in $(seq 1 300); do
        for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
            [ "$w" != "${2:-}" ] && { echo "$w"; return 0; }
        done
        sleep 0.2
    done
    echo "no window '$1'" >&2; return 1
}
click() { xdotool mousemove --sync --window "$1" "$2" "$3" click 1; sleep 0.3; }
keys() { xdotool key --delay 60 "$@"; sleep 0.3; }

launcher=$(wait_for "^ventricular fibrillation models$")
sleep 1
click "$launcher" 145 21    # tab "levels"
click "$launcher" 50 45     # level "1"
click "$launcher" 175 138   # "3-dimensional block of model cells"
model=$(wait_for "^ventricular fibrillation models$" "$launcher")
sleep 1
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
xdotool windowraise "$launcher"; sleep 0.3   # no window manager raises it
click "$launcher" 30 21     # tab "title"
click "$launcher" 175 218   # "exit": the save dialog
sleep 2
keys ctrl+a
xdotool type --delay 30 "$saved"
keys Return
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then echo "still running after exit" >&2; exit 1; fi
trap - EXIT
wait "$pid"
SESSION

cd "$work"
for locale in C de_DE.UTF-8; do
    if ! LC_ALL=$locale xvfb-run -a -s "-screen 0 1280x1024x24" \
            bash session.sh "$build/myogrid/myogrid" "$work/saved-$locale.par"; then
        cat session.log >&2 || true
        echo "typing session under $locale failed" >&2
        exit 1
    fi
    grep -q $'^x nexus=8\r$' "saved-$locale.par" || { echo "$locale: x nexus"; cat "saved-$locale.par"; exit 1; }
    grep -q $'^xy, xz nexus=7\r$' "saved-$locale.par" || { echo "$locale: xy, xz nexus"; exit 1; }
    grep -q $'^diversity=0.25\r$' "saved-$locale.par" || { echo "$locale: diversity"; cat "saved-$locale.par"; exit 1; }
    grep -q $'^F=0.75\r$' "saved-$locale.par" || { echo "$locale: F"; exit 1; }
done
cmp "saved-C.par" "saved-de_DE.UTF-8.par"
echo "myogrid typing ok"
