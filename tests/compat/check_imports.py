#!/usr/bin/env python3
"""Fails when a shipped executable would not load on a Windows it is for.

A loader refuses a program whose import table names a function its DLL does not export, so
every static import must be exported by each system below. kernel32 and advapi32 are read
against real export lists per system, user32, shell32 and comctl32 also against Windows XP's,
and every import from a DLL without such a list against the project's own list, which names
the first system of each family documented to have it. The PE headers must ask for no newer
subsystem or operating system than 4.0, which the 9x and NT 4.0 loaders require.

usage: check_imports.py OBJDUMP COMPAT_DIR OTHER_IMPORTS EXE...
"""
import re
import subprocess
import sys

SYSTEMS = ["win95osr2", "win98", "winme", "nt4sp6", "win2000sp4", "winxpsp3"]
PER_SYSTEM = {"kernel32.dll", "advapi32.dll"}
ALSO_XP = {"user32.dll", "shell32.dll", "comctl32.dll"}
# Where each system stands in its family, for the project's list of first systems.
FAMILY = {"win95osr2": ("9x", "95"), "win98": ("9x", "98"), "winme": ("9x", "me"),
          "nt4sp6": ("nt", "4.0"), "win2000sp4": ("nt", "2000"), "winxpsp3": ("nt", "xp")}
ORDER = {"9x": ["95", "98", "me"],
         "nt": ["3.1", "3.5", "3.51", "4.0", "2000", "xp", "vista", "7", "8", "10"]}


def read_lists(compat, others):
    per_system, xp, other = {}, set(), {}
    with open(f"{compat}/exports-by-system.tsv") as f:
        for line in f:
            system, dll, name = line.rstrip("\n").split("\t")
            per_system.setdefault(system, set()).add((dll.lower(), name))
    with open(f"{compat}/winxp-exports.tsv") as f:
        for line in f:
            dll, name = line.rstrip("\n").split("\t")
            xp.add((dll.lower(), name))
    with open(others) as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            dll, name, nine_x, nt = line.rstrip("\n").split("\t")
            other[(dll.lower(), name)] = (nine_x, nt)
    return per_system, xp, other


def imports_and_headers(objdump, exe):
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    found, dll = set(), None
    for line in text.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).lower()
            continue
        entry = re.match(r"\t[0-9a-f]+\t +[0-9]+ +(\S+)", line)
        if dll and entry:
            found.add((dll, entry.group(1)))
        elif dll and not line.strip():
            dll = None
    headers = dict(re.findall(r"^(Major\w+Version|Minor\w+Version)\s+(\d+)", text, re.M))
    return found, headers, "pei-i386" in text


def has(first, system):
    """Whether a function whose first systems are `first` (9x, NT) is on `system`."""
    family, version = FAMILY[system]
    since = first[0 if family == "9x" else 1]
    order = ORDER[family]
    return since in order and order.index(since) <= order.index(version)


def lacking(dll_name, per_system, xp, other):
    """The systems whose loader would not find the import."""
    dll = dll_name[0]
    if dll in PER_SYSTEM:
        return [s for s in SYSTEMS if dll_name not in per_system.get(s, ())]
    first = other.get(dll_name)
    missing = {s for s in SYSTEMS if first is None or not has(first, s)}
    if dll in ALSO_XP and dll_name not in xp:
        missing.add("winxpsp3")
    return [s for s in SYSTEMS if s in missing]


def main(argv):
    if len(argv) < 5:
        print(__doc__.strip().splitlines()[-1])
        return 2
    objdump, compat, others, exes = argv[1], argv[2], argv[3], argv[4:]
    try:
        lists = read_lists(compat, others)
    except OSError as error:
        print(f"the export lists could not be read ({error}); set QUENLOX_COMPAT_DIR")
        return 1
    per_system, xp, other = lists
    failures = 0
    for exe in exes:
        before = failures
        name = exe.replace("\\", "/").rsplit("/", 1)[-1]
        found, headers, i386 = imports_and_headers(objdump, exe)
        if not found:
            print(f"{name}: no import table read")
            failures += 1
            continue
        if not i386:
            print(f"{name}: not a 32-bit x86 executable")
            failures += 1
        for field in ("OSystem", "Subsystem"):
            major = int(headers.get(f"Major{field}Version", "0"))
            minor = int(headers.get(f"Minor{field}Version", "0"))
            if (major, minor) > (4, 0):
                print(f"{name}: asks for {field.replace('OSystem', 'operating system').lower()} "
                      f"{major}.{minor}; the 9x and NT 4.0 loaders refuse anything above 4.0")
                failures += 1
        for dll_name in sorted(found):
            systems = lacking(dll_name, per_system, xp, other)
            if systems:
                known = dll_name in other or dll_name[0] in PER_SYSTEM
                print(f"{name}: {dll_name[0]} {dll_name[1]} is not exported by "
                      f"{', '.join(systems)}: the program would not start there"
                      + ("" if known else " (no list names it)"))
                failures += 1
        if failures == before:
            print(f"{name}: {len(found)} imports, each exported by {', '.join(SYSTEMS)}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
