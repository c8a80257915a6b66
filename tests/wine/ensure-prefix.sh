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
    wineboot -i >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.quorvane-ready"
fi
# A wineserver that outlives single runs makes each start a fraction of a second instead of
# several; it ends on its own after 30 idle seconds.
wineserver -p30 </dev/null >/dev/null 2>&1 9>&- || true  # 2: one runs already
