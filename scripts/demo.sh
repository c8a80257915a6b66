#!/usr/bin/env bash
# Runs both launchers on a sample application under Wine. The Java runtime here is the project's
# test runtime (a jvm.dll that plays a few scripted Java programs and records what the launcher
# handed it); on Windows a real JRE takes its place.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
demo="$root/build/demo"
rm -rf "$demo"

winpath() { printf 'Z:%s' "${1//\//\\}"; }

for pair in "quorvane64.exe win64" "quorvane.exe win32"; do
    set -- $pair
    exe=$1 tree=$2
    app="$demo/$tree"
    mkdir -p "$app"
    cp "$root/dist/$exe" "$app/"
    cat > "$app/${exe%.exe}.ini" <<INI
[Java Runtime Environment]
Main Class=demo.Hello
JRE Path=$(winpath "$root/build/$tree/runtimes/full")
INI
    echo "=== $exe, INI:"
    sed 's/^/    /' "$app/${exe%.exe}.ini"
    echo "=== $exe \"first argument\" zweites-Argument-ä, output of main:"
    set +e
    (cd "$app" && QZ_TEST_RECORD="$(winpath "$app/record.txt")" \
        "$root/tests/wine/run-wine.sh" "./$exe" "first argument" "zweites-Argument-ä")
    code=$?
    set -e
    echo "=== exit code: $code; what reached the VM:"
    sed 's/^/    /' "$app/record.txt"
    echo
done
