#!/usr/bin/env bash
# The batch tools and the window programs at the edges of the file system and
# of their command lines: a full disk keeps the former file and fails with
# the system's reason; a FIFO and a device node are written into, never
# replaced; "--out -" pipes; refused command lines exit 2 before any window.
# The full disk is a small tmpfs where mounting is allowed (skipped otherwise).
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
set +e
ecg="$build/ecgtrace/ecgtrace-batch"
myo="$build/myogrid/myogrid-batch"
ecgw="$build/ecgtrace/ecgtrace"
myow="$build/myogrid/myogrid"
smoke_on_exit 'mountpoint -q "$work/full" && umount "$work/full"'
unset XDG_RUNTIME_DIR
export QT_QPA_PLATFORM=offscreen
cd "$work"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
# expect STATUS COMMAND...: the command's status, its stderr kept in err.txt.
expect() {
    local want="$1"
    shift
    "$@" >out.bin 2>err.txt
    local got=$?
    [ "$got" = "$want" ] || fail "$* exited $got, not $want: $(head -c 300 err.txt)"
}

# --- refused command lines: status 2, usage, no display needed ----------------
for args in "-x" "a.par b.par" "--help extra" "--user-folder $work" "--bogus"; do
    # shellcheck disable=SC2086
    expect 2 env -u DISPLAY -u QT_QPA_PLATFORM "$ecgw" $args
    grep -q "usage: ecgtrace" err.txt || fail "ecgtrace $args: no usage"
    # shellcheck disable=SC2086
    expect 2 env -u DISPLAY -u QT_QPA_PLATFORM "$myow" $args
done
for args in "--bogus" "a.par b.par" "--plot et --format png --scale 9 --out x.png" \
    "--plot at --format csv --group 7 --out x.csv" "--plot crossphase --format csv --out x.csv"; do
    # shellcheck disable=SC2086
    expect 2 "$ecg" $args
done
grep -q -- "--cross" err.txt || fail "crossphase refusal does not say why"
expect 2 "$ecg" --bogus
grep -q -- "--bogus" err.txt || fail "ecgtrace-batch --bogus is not named"
expect 2 "$myo" --model block --bogus

# --- standard output ---------------------------------------------------------
expect 0 "$ecg" --plot et --format png --out -
[ "$(head -c 4 out.bin | tail -c 3)" = "PNG" ] || fail "ecgtrace-batch --out - gave no PNG"
expect 0 "$myo" --model one --steps 5 --seed 1 --picture time --out -
[ "$(head -c 4 out.bin | tail -c 3)" = "PNG" ] || fail "myogrid-batch --out - gave no PNG"
"$ecg" --version >&- 2>/dev/null && fail "--version into a closed stdout reported success"

# --- a FIFO and a private device node are written into -----------------------
mkfifo pipe
timeout 60 cat pipe >piped.svg &
reader=$!
# A FIFO without a reader is refused at once: try until the reader is there.
smoke_until "nothing could be written into the FIFO" eval '"$ecg" --plot et --format svg --out pipe 2>err.txt'
wait "$reader"
[ -p pipe ] || fail "the FIFO was replaced"
grep -q "<svg" piped.svg || fail "nothing came through the FIFO"
if mknod null c 1 3 2>/dev/null; then
    expect 0 "$ecg" --plot et --format svg --out null
    [ -c null ] || fail "the device node was replaced"
fi
# A link: the file behind it is replaced, the link stays.
echo former >real.csv
ln -s real.csv link.csv
expect 0 "$ecg" --plot at --format csv --out link.csv
[ -L link.csv ] || fail "the link was replaced"
grep -q "k_ms,A" real.csv || fail "the file behind the link was not written"

# --- a full disk -------------------------------------------------------------
mkdir full
if mount -t tmpfs -o size=64k tmpfs full 2>/dev/null; then
    "$ecg" --plot et --format png --out full/prev.png >/dev/null 2>&1 || fail "first save"
    cp full/prev.png before.png
    "$myo" --model one --steps 3 --seed 1 --picture time --out full/time.png >/dev/null || fail "first picture"
    cp full/time.png before-time.png
    head -c 1M /dev/zero >full/filler 2>/dev/null
    expect 1 "$ecg" --plot et --format png --scale 8 --out full/prev.png
    grep -q "No space left on device" err.txt || fail "png: $(cat err.txt)"
    cmp -s full/prev.png before.png || fail "the former PNG was not kept"
    expect 1 "$ecg" --plot et --format edf --out full/prev.png
    cmp -s full/prev.png before.png || fail "the former file was not kept by EDF"
    expect 1 "$myo" --model one --steps 3 --seed 1 --picture time --out full/time.png
    cmp -s full/time.png before-time.png || fail "the former picture was not kept"
    [ "$(find full -name '.*' -type f | wc -l)" = 0 ] || fail "temporary files left: $(ls -a full)"
else
    echo "full disk: mounting not allowed here, skipped"
fi

[ "$failures" = 0 ] || exit 1
echo "file edges: all held"
