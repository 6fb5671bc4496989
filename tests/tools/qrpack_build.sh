#!/usr/bin/env bash
# qrpack_build.sh QRPACK WAV: builds a pack from a manifest naming a sound (in two groups), a
# raw file on first use and a bad line, then lists it with the program's reader.
set -eu
qrpack=$1; wav=$2
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
cp "$wav" "$dir/click.wav"
printf 'Lake name\n' > "$dir/name.txt"
cat > "$dir/pack.txt" <<MANIFEST
# type id flags groups file
sound 6183 0 1,2 click.wav
bytes 0x55 2 2 name.txt
MANIFEST
"$qrpack" build "$dir/pack.txt" "$dir/out"
listing=$("$qrpack" list "$dir/out")
printf '%s\n' "$listing"
printf '%s\n' "$listing" | grep -q '^group 2: 2 items'
printf '%s\n' "$listing" | grep -q '^  85 flags 2 info 0 data 10'
printf '%s\n' "$listing" | grep -Eq '^  6183 flags 0 info 18 data [0-9]+'
echo 'picture 9 0 1 missing.bmp' >> "$dir/pack.txt"
set +e
"$qrpack" build "$dir/pack.txt" "$dir/out2" 2> "$dir/err"; status=$?
set -e
grep -q 'pack.txt:4: cannot read missing.bmp' "$dir/err"
[ "$status" -eq 1 ]
