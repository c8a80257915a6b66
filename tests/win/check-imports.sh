#!/usr/bin/env bash
# Fails when the executable imports a DLL outside the set that every Windows installation has
# (a compiler runtime DLL such as libstdc++-6.dll would make it more than a single file), or
# imports any library an ordinary launch does not need (user interface, registry, services):
# those are bound on first use, so that an ordinary launch never loads them.
set -euo pipefail
objdump=$1
exe=$2
allowed='^(kernel32|msvcrt)\.dll$'
dlls=$("$objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no import table found in $exe"; exit 1; }
bad=$(printf '%s\n' "$dlls" | grep -Ev "$allowed" || true)
echo "imports of $(basename "$exe"): $(echo $dlls)"
if [ -n "$bad" ]; then
    echo "unexpected DLL imports: $bad"
    exit 1
fi
