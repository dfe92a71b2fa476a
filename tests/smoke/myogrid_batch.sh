#!/usr/bin/env bash
# The command-line tool of the model engine: JSON per step for every model,
# the nexus table of the block, parameters from a "Myogrid.par", and that
# bad input yields a message, a failure status and no output.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
tool="$build/myogrid/myogrid-batch"
cd "$work"

# A parameter file with a block of 5 and a small lattice of oscillators.
smoke_myogrid_par small.par dimension=5 "cell 1 x=0" "cell 1 y=2" "cell 1 z=2" "cell 2 x=5" \
    "osc. dimension=4" "osc. 1 x=0" "osc. 1 y=0" "osc. 2 x=4"

"$tool" --model block --par small.par --steps 300 --seed 4 --start 50hz >block.json
"$tool" --model block --par small.par --steps 300 --seed 4 --start 50hz >again.json
cmp -s block.json again.json || { echo "same seed, different runs"; exit 1; }
[ "$(wc -l <connex.txt)" -eq 129 ]
head -n 1 connex.txt | grep -q $'^ X      1  1  1  1  1  1  1  1  1 -1 -1 -1 -1 -1 -1 -1 -1 -1\r$'
# A nexus table that cannot be written: the run is printed whole, the
# failure goes to stderr with status 1.
mkdir table && (cd table && mkdir connex.txt &&
    { "$tool" --model block --par ../small.par --steps 300 --seed 4 --start 50hz \
        >../blocked.json 2>../blocked.err && exit 1 || [ $? -eq 1 ]; })
cmp -s block.json blocked.json || { echo "an unwritable table changed the run"; exit 1; }
grep -q "connex.txt" blocked.err
python3 - block.json <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
assert d["model"] == "block" and d["dimension"] == 5 and d["cells"] == 125, d
steps = d["steps"]
assert len(steps) == 300
assert [s["ModelTime"] for s in steps] == list(range(2, 602, 2))
assert max(s["ActiveCount"] for s in steps) > 0, "the stimulus excites the block"
for s in steps:
    # Lower trace: the whole block (cell 2 lies beyond it).
    assert s["trace2"] == 125 - s["ActiveCount"], s
    assert s["trace1"] in (0, 125), s
PY

for model in one coupled independent; do
    "$tool" --model "$model" --par small.par --steps 200 --seed 1 >"$model.json"
done
python3 - one.json coupled.json independent.json <<'PY'
import json, sys
one, coupled, independent = (json.load(open(p)) for p in sys.argv[1:])
assert one["oscillators"] == 1 and coupled["oscillators"] == 64 and independent["oscillators"] == 16
for s in one["steps"]:
    assert s["MeanAmplitude"] == s["trace1"], s
for d in (one, coupled, independent):
    assert len(d["steps"]) == 200 and d["steps"][-1]["ModelTime"] == 400
    assert all(0 <= s["MeanAmplitude"] <= 2 for s in d["steps"])
PY

# Defaults without a file: a block of 10.
"$tool" --model block --steps 1 --seed 2 >defaults.json
python3 -c "import json,sys; d=json.load(open(sys.argv[1])); assert d['cells']==1000" defaults.json
[ "$(wc -l <connex.txt)" -eq 1004 ]

# Failures: message on stderr, non-zero status, empty stdout.
sed 's/^threshold=14/thresh=14/' small.par >badline.par
sed 's/^L=-0.22/L=abc/' small.par >badvalue.par
sed 's/^L=-0.22/L=0/' small.par >zerol.par
for args in "--model" "--model cube" "--steps 5" "--model block --par missing.par" \
            "--model block --par badline.par" "--model one --par badvalue.par" \
            "--model one --par zerol.par" "--model one --steps -1" "--model one --start sideways" \
            "--model one --seed 18446744073709551616" "--model one --seed +3"; do
    if "$tool" $args >out 2>err; then
        echo "no failure for $args"; exit 1
    fi
    [ ! -s out ] || { echo "output written for $args"; exit 1; }
    grep -q "myogrid-batch: " err || { echo "no message for $args"; exit 1; }
done
grep -q "Floating point division by zero" <("$tool" --model one --par zerol.par 2>&1 || true)
grep -q "'abc' is not a valid floating point value" <("$tool" --model one --par badvalue.par 2>&1 || true)
echo "myogrid-batch ok"
