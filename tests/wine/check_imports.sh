#!/usr/bin/env bash
# The executable may import Windows system DLLs only.
set -u
allowed='^(kernel32|user32|gdi32|shell32|advapi32|msvcrt|comctl32)\.dll$'
dlls=$(i686-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no import table read from $1"; exit 1; }
status=0
for dll in $dlls; do
  if [[ $dll =~ $allowed ]]; then echo "ok: $dll"; else echo "not allowed: $dll"; status=1; fi
done
exit $status
