#!/usr/bin/env bash
# run_twice.sh OUT PROGRAM ARGS...: runs the headless game twice with the same arguments, each
# with its own user folder, screenshot folder and digest in a folder of its own under OUT, and
# passes when both runs end well and wrote the same digest and the same pictures, byte for byte.
# Runs side by side never share a folder; a passed run's folder goes, a failed one's stays.
set -u
mkdir -p "$1"
out=$(mktemp -d "$1/run.XXXXXX") || exit 1
shift
trap 'status=$?; if [ "$status" -eq 0 ]; then rm -rf "$out"; else echo "kept: $out"; fi' EXIT
for run in 1 2; do
    mkdir -p "$out/$run"
    "$@" --user-dir "$out/$run/user" --out "$out/$run/frames" --digest "$out/$run/digest.txt" || {
        echo "run $run failed"
        exit 1
    }
done
cmp "$out/1/digest.txt" "$out/2/digest.txt" || exit 1
pictures=$(find "$out/1/frames" -name '*.png' | wc -l)
[ "$pictures" -gt 0 ] || { echo "no pictures"; exit 1; }
diff -r "$out/1/frames" "$out/2/frames" || exit 1
echo "two runs, one digest and $pictures identical pictures"
