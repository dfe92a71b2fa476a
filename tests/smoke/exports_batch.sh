#!/usr/bin/env bash
# Both batch tools take plots out: every Ecgtrace plot in every format, the
# CSV values equal to those of the JSON, and refused requests that write
# nothing and fail.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
ecg="$build/ecgtrace/ecgtrace-batch"
myo="$build/myogrid/myogrid-batch"
cd "$work"

for plot in et at pseries pmap histogram autocorrelation power crossphase; do
  for format in png svg csv; do
    "$ecg" --plot "$plot" --format "$format" --group 2 --cross 3 --out "$plot.$format" 2>err.txt
    test -s "$plot.$format"
    test ! -s err.txt || { cat err.txt; exit 1; }
  done
done
"$ecg" --plot et --format edf --out et.edf
head -c 8 et.edf | grep -q '^0 ' || { echo "not an EDF header"; exit 1; }
"$ecg" --plot et --format csv --out e.csv
"$ecg" --plot histogram --format csv --out hist_e.csv
"$ecg" --plot autocorrelation --format csv --group 2 --out corr_2.csv
"$ecg" --plot at --format csv --group 2 --out a_2.csv
"$ecg" > all.json
"$myo" --model coupled --steps 30 --seed 8 > run.json
"$myo" --model coupled --steps 30 --seed 8 --csv > run.csv

python3 - <<'PY'
import csv, json
def column(name, i):
    with open(name, newline="") as f:
        rows = list(csv.reader(f))
    return rows[0], [float(r[i]) for r in rows[1:]]
data = json.load(open("all.json"))
head, e = column("e.csv", 1)
assert head == ["t_ms", "E"], head
assert e[1:] == data["E"], "E(t) differs"            # row 0 is t = 0
head, h = column("hist_e.csv", 2)
assert h == data["histogram"], "histogram of E(t) differs"
head, r = column("corr_2.csv", 1)
assert head == ["lag_ms", "r"] and r == data["groups"][1]["autocorrelation"]
head, a = column("a_2.csv", 1)
assert head == ["k_ms", "A"] and a == data["groups"][1]["A"]
steps = json.load(open("run.json"))["steps"]
with open("run.csv", newline="") as f:
    lines = f.read().splitlines()
assert lines[0] == "# seed=" + json.load(open("run.json"))["seed"], lines[0]
rows = list(csv.reader(lines[1:]))
assert rows[0] == ["model_time_ms", "trace1", "trace2", "mean_amplitude"], rows[0]
for step, row in zip(steps, rows[1:], strict=True):
    assert [float(v) for v in row] == [step["ModelTime"], step["trace1"], step["trace2"], step["MeanAmplitude"]]
PY

refused() {
  if "$@" >out.txt 2>err.txt; then echo "accepted: $*"; exit 1; fi
  test -s err.txt
  test ! -s out.txt
}
refused "$ecg" --plot nyquist --format png --out bad.png
refused "$ecg" --plot et --format jpg --out bad.jpg
refused "$ecg" --plot at --format edf --out bad.edf
refused "$ecg" --plot at --format png --group 99 --out bad.png
refused "$ecg" --plot at --format png --out missing/bad.png
refused "$ecg" --plot at --format png
refused "$myo" --model one --picture middle --out bad.png
refused "$myo" --model one --picture time --out missing/bad.png
test -z "$(ls bad.* 2>/dev/null)"
echo "exports ok"
