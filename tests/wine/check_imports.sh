#!/usr/bin/env bash
# The executable may import Windows system DLLs only.
set -u
allowed='^(kernel32|user32|gdi32|shell32|advapi32|msvcrt|comctl32)\.dll$'
# usage: check_imports.sh OBJDUMP EXE
dlls=$("$1" -p "$2" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$dlls" ] || { echo "no import table read from $2"; exit 1; }
status=0
for dll in $dlls; do
  if [[ $dll =~ $allowed ]]; then echo "ok: $dll"; else echo "not allowed: $dll"; status=1; fi
done
exit $status
