#!/usr/bin/env bash
# qrfdump_sample.sh QRFDUMP FILE: dumps an engine-written sample scene and round-trips it.
set -u
qrfdump=$1; file=$2
[ -f "$file" ] || { echo "no $file"; exit 1; }
out=$("$qrfdump" "$file"); status=$?
printf '%s\n' "$out"
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }
fail() { echo "$1"; exit 1; }
printf '%s\n' "$out" | sed -n 1p | grep -qx 'version 2\.2' || fail "first line is not the version"
printf '%s\n' "$out" | sed -n 2p | grep -Eqx 'objects [1-9][0-9]*, top-level [1-9][0-9]*' || fail "no object count"
# The engine numbers objects from 1 in file order, and the first is top-level. The node trees
# follow the object list.
ids=$(printf '%s\n' "$out" | tail -n +3 | sed '/^tree$/,$d' | sed -E 's/^. #([0-9]+) .*/\1/')
[ "$ids" = "$(seq 1 "$(printf '%s\n' "$ids" | wc -l)")" ] || fail "link ids are not 1, 2, 3 ..."
printf '%s\n' "$out" | sed -n 3p | grep -Eq '^\* #1 [A-Za-z]' || fail "first object is not top-level"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
"$qrfdump" --roundtrip "$file" "$tmp/out.qrf" || fail "round trip failed"
cmp "$file" "$tmp/out.qrf" || fail "round trip changed the bytes"
