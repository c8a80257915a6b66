#!/usr/bin/env bash
# Checks that a DLL exports exactly the given names. Usage: check-exports.sh OBJDUMP DLL "NAME..."
set -euo pipefail
# The name pointer table lists one "[ordinal] name" line per export.
actual=$("$1" -p "$2" |
         sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/s/^\s*\[\s*[0-9]*\]\s*//p' | sort | xargs)
expected=$(printf '%s\n' $3 | sort | xargs)
echo "exports of $2: $actual"
[ "$actual" = "$expected" ] || { echo "expected: $expected"; exit 1; }
