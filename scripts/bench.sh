#!/usr/bin/env bash
# Builds the benchmarks in Release (build-bench), runs them all and prints one table: each
# figure, its target, what was measured here, pass or fail. Arguments go to rfid-bench
# (e.g. --benchmark_filter=Serial). Exits non-zero when a figure misses its target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
dir=build-bench
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRFID_BUILD_TESTS=OFF -DRFID_BUILD_BENCH=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target rfid-bench rfid-startup rfid-workbench

rows="$dir/bench-rows.tsv"
: >"$rows"
echo "== in-process figures"
"$dir/bench/rfid-bench" --rows="$rows.part" "$@"
cat "$rows.part" >>"$rows"
echo "== whole processes"
"$dir/bench/rfid-startup" --app="$PWD/$dir/app/rfid-workbench" --rows="$rows"
rm -f "$rows.part"

echo
echo "== $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"
awk -F'\t' '
    { for (i = 1; i <= 4; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
    END {
        split("figure target measured result", head, " ")
        for (i = 1; i <= 4; i++) if (length(head[i]) > w[i]) w[i] = length(head[i])
        fmt = "%-" w[1] "s  %-" w[2] "s  %-" w[3] "s  %s\n"
        printf fmt, head[1], head[2], head[3], head[4]
        for (r = 1; r <= NR; r++) printf fmt, cell[r, 1], cell[r, 2], cell[r, 3], cell[r, 4]
    }' "$rows"
! grep -q $'\tFAIL$' "$rows"
