#!/usr/bin/env bash
# Exit 0 when this machine can start Wine's 32-bit loader, 1 when its kernel cannot run 32-bit
# programs at all (the 64-bit half of Wine still works there).
[ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
