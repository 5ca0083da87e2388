#!/usr/bin/env bash
# Prints the Windows architecture the Wine layers use on this machine: win32 where the machine
# runs 32-bit code, else win64. Some virtual machines run 64-bit user code only; there the same
# sources are built for x86_64 and run by Wine's 64-bit loader, and what needs a 32-bit program
# (the NSIS installer) is skipped with its reason printed.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
