#!/usr/bin/env bash
# Checks that each test runtime DLL exports exactly the given names, undecorated (no @n suffix on
# x86), as a launcher looks them up with GetProcAddress.
# Usage: check-exports.sh OBJDUMP DLL "NAME..." [DLL "NAME..."]...
set -euo pipefail
objdump=$1 status=0
shift
while [ $# -ge 2 ]; do
    # The name pointer table lists one "[ordinal] name" line per export.
    actual=$("$objdump" -p "$1" |
             sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[\s*[0-9]*\]\s*//p' | sort | xargs)
    expected=$(printf '%s\n' $2 | sort | xargs)
    echo "exports of $1: $actual"
    [ "$actual" = "$expected" ] || { echo "expected: $expected"; status=1; }
    shift 2
done
exit $status
