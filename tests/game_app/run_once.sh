#!/usr/bin/env bash
# run_once.sh OUT PROGRAM ARGS...: runs the headless game once with its own user folder and
# digest in a folder of its own under OUT, and passes when the run ends well and wrote its
# digest. Runs side by side never share a folder; a passed run's folder goes, a failed one's stays.
set -u
mkdir -p "$1"
out=$(mktemp -d "$1/run.XXXXXX") || exit 1
shift
trap 'status=$?; if [ "$status" -eq 0 ]; then rm -rf "$out"; else echo "kept: $out"; fi' EXIT
"$@" --user-dir "$out/user" --digest "$out/digest.txt" || { echo "the run failed"; exit 1; }
[ -s "$out/digest.txt" ] || { echo "no digest written"; exit 1; }
echo "the run ended well; digest of $(wc -l <"$out/digest.txt") lines"
