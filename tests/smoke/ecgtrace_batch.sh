#!/usr/bin/env bash
# The command-line tool of the signal model: JSON and CSV output, and that a
# bad parameter file yields a message, a failure status and no output.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
tool="$build/ecgtrace/ecgtrace-batch"

"$tool" >"$work/defaults.json"
python3 - "$work/defaults.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
assert d["G"] == 6 and len(d["groups"]) == 6, d["G"]
g = d["groups"][0]
assert g["T"] == 221 and len(g["A"]) == 221
assert abs(g["A"][45] - 5.39682e-4) < 1e-9
assert len(g["PMap"]) == 101 and abs(g["PMap"][71] - 0.29000000052) < 1e-11
assert abs(g["PHalf"] - 0.29) < 1e-6 and abs(g["PWhole"] - 0.705782) < 1e-6
assert len(d["E"]) == 2800 and abs(d["E"][0] - 4.130074e-5) < 1e-11
assert abs(d["emax"] - 2.714404e-3) < 1e-9 and abs(d["emin"] + 3.645803e-3) < 1e-9
assert len(d["spectra"]) == 7 and all(len(r) == 51 for r in d["spectra"])
assert d["spectra"][0][0] == [0, 0] and d["spectra"][1][0] == [0, 0]
assert abs(sum(r[10][0] for r in d["spectra"][1:]) - d["spectra"][0][10][0]) < 1e-15
assert len(g["histogram"]) == 15 and abs(sum(g["histogram"]) - 1) < 1e-12
assert len(d["histogram"]) == 15 and abs(sum(d["histogram"]) - 1) < 1e-12
assert len(g["autocorrelation"]) == 2000 and len(d["autocorrelation"]) == 2000
assert abs(d["autocorrelation"][220] - 1) < 1e-12  # lag 221 = T
assert max(abs(a - b) for a, b in zip(d["autocorrelation"], g["autocorrelation"])) < 1e-12  # six equal groups
PY

"$tool" --csv >"$work/e.csv"
[ "$(head -n 1 "$work/e.csv")" = "t_ms,E" ]
[ "$(wc -l <"$work/e.csv")" -eq 2801 ]
grep -q '^28000,' "$work/e.csv"

# A parameter file written by the tool's own model reads back the same.
printf 'Parameters for E(t)\r\n1\tG\r\n1\tg\r\n1\tCrossg\r\nParameters for Tg\r\n 2.10000000000000E+0001\tf\r\n 5.00000000000000E-0001\tF\r\n6\tTe\r\n170\tTa\r\n24\tTr\r\nParameters for Pn\r\n 1.00000000000000E-0001\tP0\r\n62\tN\r\n31\tNE\r\n18\tM\r\n14\tNd\r\nParameters for A(t)\r\n20\ts1\r\n30\ts2\r\n0\toffset\r\n' >"$work/one.par"
"$tool" "$work/one.par" >"$work/one.json"
python3 -c "import json,sys; d=json.load(open(sys.argv[1])); assert d['G']==1 and d['groups'][0]['T']==228" "$work/one.json"

# Failures: message on stderr, non-zero status, empty stdout.
printf 'Parameters for E(t)\r\n6\tG\r\n' >"$work/bad.par"
for args in "$work/bad.par" "$work/missing.par" "--bogus"; do
    if "$tool" $args >"$work/out" 2>"$work/err"; then
        echo "no failure for $args"; exit 1
    fi
    [ ! -s "$work/out" ] || { echo "output written for $args"; exit 1; }
    [ -s "$work/err" ] || { echo "no message for $args"; exit 1; }
done
grep -q "Invalid numeric input" <("$tool" "$work/bad.par" 2>&1 || true)
echo "ecgtrace-batch ok"
