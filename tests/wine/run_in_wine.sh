#!/usr/bin/env bash
# Runs one Windows test program under Wine in a fresh prefix on a private display.
# usage: run_in_wine.sh TEMPLATE_DIR PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
template=$1
shift
exec "$here/with_session.sh" "$template" sh -c 'wine "$(winepath -w "$0")" "$@"' "$@"
