#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix (never ~/.wine). The prefix is
# created on first use; `make test` removes it first, so every run starts from a fresh one.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
if ! command -v wine >/dev/null 2>&1; then
    echo "run-wine: wine is not installed (apt-get install wine wine64 wine32:i386)" >&2
    exit 127
fi
export WINEPREFIX="${QZ_WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Debian's `wine` starts the 32-bit loader, which hands 64-bit programs on to wine64. A kernel
# built without 32-bit support cannot start that loader at all: there, 64-bit programs start
# through wine64 directly, and a 32-bit program is refused with exit code 77 ("not run here").
if ! "$here/runs-32-bit.sh"; then
    export WINELOADER=/usr/lib/wine/wine64 QZ_WINE=/usr/lib/wine/wine64
    if [ "$#" -gt 0 ] && [ -f "$1" ] && [ "$(od -An -tx1 -j"$(( $(od -An -tu4 -j60 -N4 "$1") + 4 ))" -N2 "$1" | tr -d ' ')" = "4c01" ]; then
        echo "run-wine: this machine cannot run 32-bit programs (its kernel has no 32-bit support): $1 is not run" >&2
        exit 77
    fi
else
    export QZ_WINE=wine
fi
"$here/ensure-prefix.sh"
exec "$QZ_WINE" "$@"
