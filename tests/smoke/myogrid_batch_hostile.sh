#!/usr/bin/env bash
# myogrid-batch against hostile input: the parameter files of
# tests/data/myogrid plus some made here (NUL bytes, a file far larger than
# any parameter file, devices, directories, an empty path). Every case must
# end within its time limit with either well-formed JSON of finite numbers
# and status 0, or a message on stderr and a failure status; never INF or
# NAN. Then: output streams (head stops it at once, SIGINT leaves complete
# lines) and memory stays flat however many steps are asked for.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
tool="$build/myogrid/myogrid-batch"
corpus="$src/tests/data/myogrid"
cd "$work"

# Files made here: what a text editor could not keep in a source tree.
cp "$corpus/extreme_reals.par" base.par
sed 's/^dimension=5/dimension=1\x002/' base.par >nul_value.par
head -c 2000000 /dev/urandom >noise.par
{ cat base.par; head -c 3000000 /dev/zero | tr '\0' 'x'; } >huge_tail.par
{ printf '[Path]\r\nBrowser='; head -c 3000000 /dev/zero | tr '\0' 'b'; printf '\r\n'; } >huge_line.par
mkdir folder.par

# run NAME MODEL ARGS...: stdout to NAME.out, stderr to NAME.err, status to $status.
run() {
    local name=$1; shift
    status=0
    timeout "$smoke_deadline" "$tool" --steps 200 --seed 3 "$@" >"$name.out" 2>"$name.err" || status=$?
    if [ "$status" -eq 124 ]; then echo "$name: no answer within $smoke_deadline s"; exit 1; fi
    if grep -qE "INF|NAN" "$name.out"; then echo "$name: non-finite output"; exit 1; fi
    grep -q 'XDG_RUNTIME_DIR' "$name.err" && { echo "$name: Qt noise on stderr"; exit 1; }
    if [ "$status" -eq 0 ]; then
        python3 -c 'import json,sys; json.load(open(sys.argv[1]))' "$name.out" ||
            { echo "$name: status 0 without well-formed JSON"; exit 1; }
    else
        grep -q '^myogrid-batch: ' "$name.err" || { echo "$name: failure without a message"; exit 1; }
    fi
}

for par in "$corpus"/*.par nul_value.par noise.par huge_tail.par huge_line.par; do
    for model in block one coupled independent; do
        run "$(basename "$par" .par)-$model" --model "$model" --par "$par"
    done
done
# Expected answers of particular cases.
expect() {  # NAME STATUS TEXT: status and a line of stderr
    run "$1" "${@:4}"
    [ "$status" -eq "$2" ] || { echo "$1: status $status, expected $2"; cat "$1.err"; exit 1; }
    grep -qF -- "$3" "$1.err" || { echo "$1: expected '$3' in:"; cat "$1.err"; exit 1; }
}
for model in coupled independent; do
    expect "overflow-$model" 1 "myogrid-batch: Invalid floating point operation" \
        --model "$model" --par "$corpus/overflow_start_fraction.par"
done
expect empty-path 1 "myogrid-batch: Cannot open file " --model one --par ""
[ "$(cat empty-path.err)" = "myogrid-batch: Cannot open file " ]
expect folder 1 "myogrid-batch: Cannot open file folder.par" --model one --par folder.par
expect device 1 "myogrid-batch: Cannot open file /dev/zero" --model one --par /dev/zero
expect nul 1 "myogrid-batch: '1\\x002' is not a valid integer value (line 6: dimension=1\\x002)" \
    --model one --par nul_value.par
expect badkey 1 "myogrid-batch: Error in Myogrid.par! (line 10: thresh=14)" \
    --model one --par "$corpus/bad_key.par"
expect short 1 "myogrid-batch: Error in Myogrid.par! (line 21: )" --model one --par "$corpus/cut_short.par"
expect comma 1 "'0,5' is not a valid floating point value (line 14: diversity=0,5)" \
    --model one --par "$corpus/comma_decimal.par"
expect hugeline 1 "myogrid-batch: Error in Myogrid.par! (line 3: )" --model one --par huge_line.par
# A value longer than 80 characters is cut before it is read.
expect long 1 "'$(printf '1%.0s' $(seq 80))' is not a valid integer value" \
    --model one --par "$corpus/long_value.par"
# Start-up failures print nothing on stdout.
for name in empty-path folder device nul badkey short comma hugeline long; do
    [ ! -s "$name.out" ] || { echo "$name: output written"; exit 1; }
done
run trailing --model one --par huge_tail.par
[ "$status" -eq 0 ] || { echo "text after the last line must not matter"; cat trailing.err; exit 1; }

# Streaming: head takes five lines of an endless run and the run ends.
status=0
timeout "$smoke_deadline" bash -c "\"$tool\" --model coupled --steps 2147483647 --seed 1 | head -n 5 >head.out" ||
    status=$?
[ "$status" -ne 124 ] || { echo "the run did not end with its reader"; exit 1; }
[ "$(wc -l <head.out)" -eq 5 ] || { echo "head got $(wc -l <head.out) lines"; exit 1; }

# SIGINT ends the run; every line printed is complete.
"$tool" --model one --steps 2147483647 --seed 1 >interrupted.out 2>interrupted.err &
pid=$!
smoke_until "fewer than 1000 steps printed" eval '[ "$(wc -l <interrupted.out)" -gt 1000 ]'
kill -INT "$pid"
status=0
wait "$pid" || status=$?
[ "$status" -eq 130 ] || { echo "SIGINT: status $status"; exit 1; }
python3 - interrupted.out <<'PY'
import json, sys
data = open(sys.argv[1], "rb").read()
assert data.endswith(b"\n"), "last line cut short"
lines = data.decode().splitlines()
assert lines[0].endswith('"steps":['), lines[0]
assert len(lines) > 1000, len(lines)
for n, line in enumerate(lines[1:], 1):
    step = json.loads(line.rstrip(","))
    assert step["ModelTime"] == 2 * n, (n, step)
PY

# Memory: a million steps need no more than a thousand.
python3 - "$tool" <<'PY'
import os, resource, subprocess, sys
def peak_kib(steps):
    # Each run in its own child so its peak is its own.
    code = ("import resource,subprocess,sys;"
            "subprocess.run(sys.argv[1:],stdout=subprocess.DEVNULL,check=True);"
            "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)")
    # Freed memory that AddressSanitizer holds back is none of the tool's.
    env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":quarantine_size_mb=1")
    out = subprocess.run([sys.executable, "-c", code, sys.argv[1], "--model", "one", "--seed", "1",
                          "--steps", str(steps)], capture_output=True, text=True, check=True, env=env)
    return int(out.stdout)
short, long = peak_kib(1000), peak_kib(1000000)
print(f"peak RSS: 1000 steps {short} KiB, 1000000 steps {long} KiB")
assert long < short + 8 * 1024, "memory grows with the number of steps"
PY
echo "myogrid-batch hostile input ok"
