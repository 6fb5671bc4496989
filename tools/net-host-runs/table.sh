#!/usr/bin/env bash
# The table of real runs: for each step at which the host goes (hostgone.py), one run of each
# number of copies given, one after another, on ports from PORT on. The rows go to OUT/table.txt,
# each run's folder is OUT/STEP-COPIES. Run from the project's root after a Release build
# (scripts/run, or GAME and DATA in the environment).
#   tools/net-host-runs/table.sh OUT PORT "3 5" [STEP...]
set -uo pipefail
out=$1 port=$2 counts=$3
shift 3
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(setup start lake exchange close between final menu escape)
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$out"
for step in "${steps[@]}"; do
    for n in $counts; do
        run="$out/$step-$n"
        rm -rf "$run"
        python3 "$here/hostgone.py" "$run" "$port" "$step" "$n" > "$run.log" 2>&1
        tail -n 1 "$run/hostgone.txt" 2>/dev/null | tee -a "$out/table.txt" || echo "$step $n: no row" | tee -a "$out/table.txt"
        port=$((port + 10))
    done
done
