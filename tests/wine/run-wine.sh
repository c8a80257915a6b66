#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix (never ~/.wine), created on first
# use; `make test` removes it first, so every run starts from a fresh one.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if ! command -v wine >/dev/null 2>&1; then
    echo "run-wine: wine is not installed (apt-get install wine wine64 wine32:i386)" >&2
    exit 127
fi
export WINEPREFIX="${QZ_WINEPREFIX:-$(dirname "$(dirname "$here")")/build/wineprefix}"
# QZ_WINEDEBUG: Wine's own trace channels, for a test that reads the calls a program makes.
export WINEDEBUG="${QZ_WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml="
# Debian's `wine` starts the 32-bit loader, which hands 64-bit programs on to wine64. A kernel
# built without 32-bit support cannot start that loader at all: there, 64-bit programs start
# through wine64 directly, and a 32-bit program is refused with exit code 77 ("not run here").
wine=wine
if ! "$here/runs-32-bit.sh"; then
    export WINELOADER=/usr/lib/wine/wine64
    wine=/usr/lib/wine/wine64
    if [ "$#" -gt 0 ] && [ -f "$1" ] && [ "$(od -An -tx1 -j"$(( $(od -An -tu4 -j60 -N4 "$1") + 4 ))" -N2 "$1" | tr -d ' ')" = "4c01" ]; then
        echo "run-wine: this machine cannot run 32-bit programs (its kernel has no 32-bit support): $1 is not run" >&2
        exit 77
    fi
fi
# The prefix is made once, even when several tests start at the same time. A wineserver that
# outlives single runs makes each start a fraction of a second instead of several; it ends on its
# own after 30 idle seconds. The processes Wine keeps beside it (services, devices) inherit the
# standard streams of the program that started them, so they are started here with none:
# otherwise they would hold a test's output pipe open until the server ends.
mkdir -p "$(dirname "$WINEPREFIX")"
(
    flock 9
    if [ ! -f "$WINEPREFIX/.quorvane-ready" ]; then
        rm -rf "$WINEPREFIX"
        "$wine" wineboot.exe -i >/dev/null 2>&1
        wineserver -w
        touch "$WINEPREFIX/.quorvane-ready"
    fi
    if wineserver -p30 </dev/null >/dev/null 2>&1 9>&-; then
        "$wine" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$WINEPREFIX.lock"
exec "$wine" "$@"
