#!/usr/bin/env bash
# The committed icon is the one its source and script make.
set -eu
out=$(mktemp)
trap 'rm -f "$out"' EXIT
python3 "$1/scripts/make_icon.py" "$1/resources/quenlox_icon.txt" "$out"
cmp "$out" "$1/resources/quenlox.ico" && echo "icon matches its source"
