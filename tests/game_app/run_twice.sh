#!/usr/bin/env bash
# run_twice.sh OUT PROGRAM ARGS...: runs the headless game twice with the same arguments, each
# with its own user folder, screenshot folder and digest under OUT, and passes when both runs
# end well and wrote the same digest and the same pictures, byte for byte.
set -u
out=$1; shift
rm -rf "$out"
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
