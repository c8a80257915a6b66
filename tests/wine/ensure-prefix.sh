#!/usr/bin/env bash
# Creates the Wine prefix named by WINEPREFIX once, even when several tests start at the same time.
set -euo pipefail
: "${WINEPREFIX:?}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.quorvane-ready" ]; then
    rm -rf "$WINEPREFIX"
    "${QZ_WINE:-wine}" wineboot.exe -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quorvane-ready"
fi
# A wineserver that outlives single runs makes each start a fraction of a second instead of
# several; it ends on its own after 30 idle seconds. The processes Wine keeps beside it (services,
# devices) inherit the standard streams of the program that started them, so they are started
# here with none: otherwise they would hold a test's output pipe open until the server ends.
if wineserver -p30 </dev/null >/dev/null 2>&1 9>&-; then
    "${QZ_WINE:-wine}" cmd.exe /c exit </dev/null >/dev/null 2>&1 9>&- || true
fi
