#!/usr/bin/env bash
# Runs one Windows test program under Wine in a fresh prefix on a private display.
# usage: run_in_wine.sh TEMPLATE_DIR PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_env.sh"
template=$1
shift
wine_template "$template" || { echo "could not make the Wine prefix" >&2; exit 1; }
wine_session "$template" || exit 1
program=$(winepath -w "$1")
shift
wine "$program" "$@"
