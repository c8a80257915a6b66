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
"$here/ensure-prefix.sh"
exec wine "$@"
