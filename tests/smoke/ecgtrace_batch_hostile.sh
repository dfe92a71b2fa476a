#!/usr/bin/env bash
# ecgtrace-batch against hostile parameter files: the hand-written corpus in
# tests/data/ecgtrace and large files made here. Each is answered in bounded
# time and memory, with a message and nothing on stdout, or with output whose
# numbers are all finite; the output streams instead of growing in memory.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
tool="$build/ecgtrace/ecgtrace-batch"
corpus="$src/tests/data/ecgtrace"
# No runtime folder: the tool must not need one nor complain about it.
unset XDG_RUNTIME_DIR
# Memory is compared between runs: a sanitizer build must not hold freed blocks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}quarantine_size_mb=1"

python3 - "$tool" "$corpus" "$work" "$smoke_deadline" <<'PY'
import json, os, resource, subprocess, sys, time

tool, corpus, work = sys.argv[1:4]
limit = float(sys.argv[4])  # seconds a run may take
failures = []

def run(args, limit_s):
    """Runs the tool alone in a child; returns status, stdout size, stderr,
    seconds and the child's peak memory in MB."""
    out_path = os.path.join(work, "out")
    code = ("import resource, subprocess, sys, time\n"
            "t = time.monotonic()\n"
            "with open(sys.argv[1], 'wb') as out:\n"
            "    p = subprocess.run(sys.argv[3:], stdout=out, stderr=subprocess.PIPE, timeout=float(sys.argv[2]))\n"
            "sys.stderr.buffer.write(p.stderr)\n"
            "print(p.returncode, time.monotonic() - t,\n"
            "      resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024)\n")
    p = subprocess.run([sys.executable, "-c", code, out_path, str(limit_s), tool] + args,
                       capture_output=True, text=True, errors="replace")
    if p.returncode != 0:
        return None, out_path, p.stderr, limit_s, 0
    status, seconds, mb = p.stdout.split()
    return int(status), out_path, p.stderr, float(seconds), float(mb)

def finite_json(path):
    def refuse(name):
        raise ValueError("non-finite number " + name)
    with open(path) as f:
        return json.load(f, parse_constant=refuse)

def expect_failure(name, args, message):
    status, out, err, seconds, mb = run(args, limit)
    if status is None:
        failures.append(f"{name}: no answer within {seconds} s")
    elif status == 0:
        failures.append(f"{name}: no failure")
    elif os.path.getsize(out) != 0:
        failures.append(f"{name}: output written with the failure")
    elif not err.startswith("ecgtrace-batch: " + message):
        failures.append(f"{name}: message {err!r}, expected {message!r}")

refused = {
    "empty.par": "Invalid numeric input (line 2).",
    "binary.par": "Invalid numeric input (line 2).",
    "no-groups.par": "Invalid numeric input (line 2).",
    "huge-group-count.par": "Invalid numeric input (line 2).",
    "count-overflow.par": "Invalid numeric input (line 2).",
    "short-line.par": "Invalid numeric input (line 8, group 2).",
    "not-a-number.par": "Invalid numeric input (line 7, group 3).",
    "infinite-real.par": "Invalid numeric input (line 6, group 1).",
    # Computation faults name the group and the step.
    "zero-width.par": "Floating point division by zero (group 1, T and A(t)).",
    "zero-n.par": "Invalid floating point operation (group 1, T and A(t)).",
    "m-beyond-factorials.par": "Invalid floating point operation (group 1, map Pn -> Pn+1).",
    "negative-m.par": "M = -1 is not allowed",
    "period-too-short.par": "The period T = -800 ms is too short",
    "period-too-long.par": "The period T = 2000000200 ms is too long",
}
accepted = ["extreme-map.par", "extreme-widths.par"]
present = sorted(f for f in os.listdir(corpus) if f.endswith(".par"))
if sorted(list(refused) + accepted) != present:
    failures.append(f"corpus and expectations differ: {present}")

for name, message in refused.items():
    expect_failure(name, [os.path.join(corpus, name)], message)
expect_failure("empty path", [""], "Cannot open file \n")
expect_failure("folder", [corpus], "Cannot open file " + corpus)

for name in accepted:
    for args in ([], ["--csv"]):
        status, out, err, seconds, mb = run(args + [os.path.join(corpus, name)], limit)
        if status != 0 or err:
            failures.append(f"{name} {args}: status {status}, stderr {err!r}")
            continue
        if args:
            rows = open(out).read().splitlines()[1:]
            if len(rows) != 2800 or any(r.split(",")[1].strip("-").isalpha() for r in rows):
                failures.append(f"{name} --csv: rows not all finite")
        else:
            try:
                finite_json(out)
            except ValueError as e:
                failures.append(f"{name}: {e}")

def write_par(path, G, f, width=20):
    def real(v):
        mant, exp = f"{abs(v):.14E}".split("E")
        return ("-" if v < 0 else " ") + mant + "E" + exp[0] + exp[1:].zfill(4)
    def line(value, label):
        return (value + "\t") * G + label + "\r\n"
    text = "Parameters for E(t)\r\n" + f"{G}\tG\r\n1\tg\r\n1\tCrossg\r\n"
    text += "Parameters for Tg\r\n" + line(real(f), "f") + line(real(0.75), "F")
    text += line("6", "Te") + line("170", "Ta") + line("24", "Tr")
    text += "Parameters for Pn\r\n" + line(real(0.1), "P0") + line("62", "N") + line("0", "NE")
    text += line("18", "M") + line("14", "Nd")
    text += "Parameters for A(t)\r\n" + line(str(width), "s1") + line(str(width), "s2") + line("0", "offset")
    open(path, "w", newline="").write(text)

# 1000 groups of T = 1,000,000 ms: only the 15 usable groups are computed.
many = os.path.join(work, "many-long-groups.par")
write_par(many, 1000, 1000000 - 200)
status, out, err, seconds, mb = run(["--csv", many], limit)
print(f"1000 groups of 1,000,000 ms: {seconds:.1f} s, {mb:.0f} MB")
if status != 0 or err:
    failures.append(f"1000 long groups: status {status}, {err!r}")
elif mb > 500:
    failures.append(f"1000 long groups: {mb:.0f} MB")

# Pulses as wide as the period leave no sample 0: the JSON of 15 groups of
# 60,000 ms is about 20 MB; streamed, it costs no more memory than the CSV.
long15 = os.path.join(work, "long15.par")
write_par(long15, 15, 60000 - 200, width=20000)
status_csv, _, _, _, mb_csv = run(["--csv", long15], limit)
status, out, err, seconds, mb = run([long15], limit)
size = os.path.getsize(out) / 1e6
print(f"JSON of 15 groups of 60,000 ms: {size:.0f} MB in {seconds:.1f} s, {mb:.0f} MB peak (CSV {mb_csv:.0f} MB)")
if status != 0 or status_csv != 0 or err:
    failures.append(f"15 long groups: status {status}/{status_csv}, {err!r}")
elif size < 15 or mb - mb_csv > 10:
    failures.append(f"15 long groups: {size:.0f} MB written with {mb:.0f} MB peak, CSV {mb_csv:.0f} MB")

if failures:
    print("\n".join(failures))
    sys.exit(1)
PY
echo "ecgtrace-batch hostile input ok"
