#!/usr/bin/env bash
# Fails when the executable imports a DLL outside the set that every Windows installation has
# (a compiler runtime DLL such as libstdc++-6.dll would make it more than a single file), or
# imports any library an ordinary launch does not need (user interface, registry, services):
# those are bound on first use, so that an ordinary launch never loads them.
set -euo pipefail
# Arguments: the objdump to use, the executable.
dlls=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no import table found in $2"; exit 1; }
bad=$(printf '%s\n' "$dlls" | grep -Ev '^(kernel32|msvcrt)\.dll$' || true)
echo "imports of $(basename "$2"): $(echo $dlls)"
[ -z "$bad" ] || { echo "unexpected DLL imports: $bad"; exit 1; }
