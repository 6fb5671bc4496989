#!/usr/bin/env bash
# expect.sh STATUS PATTERN COMMAND...: runs COMMAND, passes when it exits with STATUS and its
# output matches the extended regular expression PATTERN.
set -u
want=$1; pattern=$2; shift 2
out=$("$@" 2>&1); got=$?
printf '%s\n' "$out"
if [ "$got" -ne "$want" ]; then echo "exit status $got, expected $want"; exit 1; fi
if ! printf '%s\n' "$out" | grep -Eq -- "$pattern"; then echo "output does not match: $pattern"; exit 1; fi
exit 0
