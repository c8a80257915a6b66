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
    mkdir -p "$app/lib" "$app/native"
    cp "$root/dist/$exe" "$app/"
    # The test runtime reads no jar: empty files stand in for the application's archives.
    touch "$app/app.jar" "$app/lib/commons.jar" "$app/lib/json.jar" "$app/lib/logging.jar"
    cat > "$app/${exe%.exe}.ini" <<INI
[Java Runtime Environment]
Main Class=demo.Hello
JRE Path=$(winpath "$root/build/$tree/runtimes/full")
Virtual Machine Parameters=-Xmx50:64:512P -Dapp.home="%QZ_EXE_DIR%" -Xss4m
Library Path=native
[Class Path]
Class Path=\app.jar;\lib\*.jar
[Application]
Output File=logs\out_%yyyyMMdd%.log
Error File=logs\err_%yyyyMMdd%.log
Cmd=--profile "two words"
INI
    echo "=== $exe, INI:"
    sed 's/^/    /' "$app/${exe%.exe}.ini"
    echo "=== $exe \"first argument\" zweites-Argument-ä"
    set +e
    (cd "$app" && QZ_TEST_RECORD="$(winpath "$app/record.txt")" \
        "$root/tests/wine/run-wine.sh" "./$exe" "first argument" "zweites-Argument-ä")
    code=$?
    set -e
    # The runner's "not run here": a kernel without 32-bit support starts no 32-bit program.
    if [ "$code" -eq 77 ]; then
        echo "=== not run: this machine cannot run 32-bit programs"
        echo
        continue
    fi
    echo "=== exit code: $code; what main printed, redirected into the files of logs/:"
    for log in "$app"/logs/*; do
        echo "    ${log#$app/}:"
        sed 's/^/        /' "$log"
    done
    echo "=== what reached the VM:"
    grep -v '^env: Path=' "$app/record.txt" | sed 's/^/    /'
    echo
done
