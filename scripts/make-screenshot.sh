#!/usr/bin/env bash
# Takes the picture of the missing-runtime dialog for the docs: the 64-bit launcher without any
# runtime, on a virtual display (Xvfb) in the Wine prefix of the dialog tests, captured by the
# tests' dialog driver. Writes docs/images/missing-runtime.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work="$root/build/screenshot"
rm -rf "$work"
mkdir -p "$work" "$root/docs/images"

display=:$(for n in $(seq 150 199); do [ -e /tmp/.X11-unix/X$n ] || { echo $n; break; }; done)
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display QZ_WINEPREFIX="$root/build/wineprefix-gui"
wine_run() { "$root/tests/wine/run-wine.sh" "$@"; }
cleanup() {
    wine_run wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1
# Without a window manager Wine draws the caption itself.
wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

cp "$root/dist/quorvane64.exe" "$work/MyApp.exe"
printf '[Java Runtime Environment]\r\nMain Class=com.example.App\r\nMinimum Version=17\r\n' \
    > "$work/MyApp.ini"
(cd "$work" && wine_run ./MyApp.exe >/dev/null 2>&1 || true) &
driver="$root/build/win64/tests/dialog_driver.exe"
wine_run "$driver" capture "JRE Not Found" "Z:${work//\//\\}\\dialog.bmp"
wine_run "$driver" click "JRE Not Found" 2
wait %2 2>/dev/null || true
python3 "$root/scripts/bmp-to-png.py" "$work/dialog.bmp" "$root/docs/images/missing-runtime.png"
echo "docs/images/missing-runtime.png written"
