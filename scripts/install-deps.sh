#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and the machine lacks.
# Idempotent and silent when everything is there; never prompts.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(cmake make g++ libgtest-dev googletest
          g++-mingw-w64-i686-posix mingw-w64-i686-dev binutils-mingw-w64-i686
          wine wine32:i386 wine64 xvfb xdotool imagemagick x11-utils
          fonts-wine fonts-liberation python3 nsis
          clang libclang-rt-14-dev)
for p in "${packages[@]}"; do have "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "Installing: ${need[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}"
