#!/usr/bin/env bash
# Checks that each test runtime DLL exports exactly the given names, undecorated (no @n suffix on
# x86), as a launcher looks them up with GetProcAddress.
# Usage: check-exports.sh OBJDUMP DLL "NAME..." [DLL "NAME..."]...
set -euo pipefail
objdump=$1
shift
status=0
while [ $# -ge 2 ]; do
    dll=$1 expected=$(printf '%s\n' $2 | sort | tr '\n' ' ')
    shift 2
    # The name pointer table lists one "[ordinal] name" line per export.
    actual=$("$objdump" -p "$dll" |
             sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[\s*[0-9]*\]\s*//p' |
             sort | tr '\n' ' ')
    echo "exports of $dll: $actual"
    if [ "$actual" != "$expected" ]; then
        echo "expected: $expected"
        status=1
    fi
done
exit $status
