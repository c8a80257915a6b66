#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, when it is missing, and the packages named
# as arguments (the benchmark's application). As root it runs
# apt-get itself; otherwise it prints the one command to run and fails.
set -euo pipefail

packages=(cmake ninja-build g++ googletest openjdk-17-jdk-headless openjdk-17-jre
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64
          wine wine64 wine32:i386 python3 python3-pytest xvfb xauth
          clang-14 libclang-rt-14-dev osslsigncode openssl "$@")

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

needs_i386=0
dpkg --print-foreign-architectures | grep -qx i386 || needs_i386=1
command="apt-get install -y --no-install-recommends ${missing[*]}"
[ $needs_i386 -eq 1 ] && command="dpkg --add-architecture i386 && apt-get update && $command"

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}"
    echo "Run as root: $command"
    exit 1
fi
echo "Installing: ${missing[*]}"
[ $needs_i386 -eq 1 ] && dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
