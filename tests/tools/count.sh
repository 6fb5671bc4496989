#!/usr/bin/env bash
# count.sh N PATTERN COMMAND...: runs COMMAND, passes when it exits with 0 and exactly N lines of
# its output match the extended regular expression PATTERN.
set -u
want=$1; pattern=$2; shift 2
out=$("$@" 2>&1); got=$?
printf '%s\n' "$out"
if [ "$got" -ne 0 ]; then echo "exit status $got, expected 0"; exit 1; fi
n=$(printf '%s\n' "$out" | grep -Ec -- "$pattern")
if [ "$n" -ne "$want" ]; then echo "$n lines match $pattern, expected $want"; exit 1; fi
exit 0
