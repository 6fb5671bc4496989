#!/usr/bin/env bash
# check_season.sh OUT PROGRAM ARGS...: runs the headless game with its own user folder and digest
# in a folder of its own under OUT, then reads the digests the script kept after each event's
# season page: events 1, 2 and 3 in that order, each on the set-up screen, season totals that
# never go back, and at the end three events with fish weight and winnings above 0. Runs side by
# side never share a folder; a passed run's folder goes, a failed one's stays for its evidence.
set -u
mkdir -p "$1"
out=$(mktemp -d "$1/run.XXXXXX") || exit 1
shift
trap 'status=$?; if [ "$status" -eq 0 ]; then rm -rf "$out"; else echo "kept: $out"; fi' EXIT
digest="$out/digest.txt"
"$@" --user-dir "$out/user" --digest "$digest" || { echo "the run failed"; exit 1; }
field() { sed -n "s/^$2 //p" "$1" | head -n 1; }
last_weight=0
last_money=0
for n in 1 2 3; do
    kept="$digest.event$n"
    [ -f "$kept" ] || { echo "no digest kept after event $n"; exit 1; }
    events=$(field "$kept" season.events)
    [ "$events" = "$n" ] || { echo "after event $n: season.events $events"; exit 1; }
    screen=$(field "$kept" screen)
    [ "$screen" = "4" ] || { echo "after event $n: screen $screen, not the set-up"; exit 1; }
    read -r weight money <<<"$(field "$kept" season.totals)"
    awk -v w="$weight" -v m="$money" -v lw="$last_weight" -v lm="$last_money" \
        'BEGIN { exit !(w + 0 >= lw + 0 && m + 0 >= lm + 0) }' ||
        { echo "after event $n: totals $weight $money went back from $last_weight $last_money"; exit 1; }
    last_weight=$weight
    last_money=$money
done
[ "$(field "$digest" season.events)" = "3" ] || { echo "the run ended with season.events $(field "$digest" season.events)"; exit 1; }
[ "$(field "$digest" screen)" = "4" ] || { echo "the run ended off the set-up screen"; exit 1; }
read -r weight money <<<"$(field "$digest" season.totals)"
awk -v w="$weight" -v m="$money" 'BEGIN { exit !(w + 0 > 0 && m + 0 > 0) }' ||
    { echo "season totals $weight $money"; exit 1; }
echo "three events; season totals $weight pounds, \$$money"
