#!/usr/bin/env bash
# The batch tools print the same bytes on a desktop that writes decimal
# commas (de_DE.UTF-8) as under C, whatever locale the test run has.
# Arguments: <build dir> <source dir>
source "$(dirname "$0")/smoke_lib.sh"
cd "$work"
locale -a | grep -qix 'de_DE\.utf-\?8' || { echo "locale de_DE.UTF-8 missing (test.sh generates it)"; exit 1; }

for locale in C de_DE.UTF-8; do
    mkdir "$locale"
    (
        cd "$locale"
        export LC_ALL=$locale
        "$build/ecgtrace/ecgtrace-batch" >ecgtrace.json
        "$build/ecgtrace/ecgtrace-batch" --csv >ecgtrace.csv
        for model in block one coupled independent; do
            "$build/myogrid/myogrid-batch" --model "$model" --steps 300 --seed 5 >"$model.json"
        done
    )
done
diff -r C de_DE.UTF-8 >/dev/null || { echo "outputs differ between C and de_DE.UTF-8"; exit 1; }
grep -q '"MeanAmplitude":0\.' C/one.json
echo "locale outputs ok"
