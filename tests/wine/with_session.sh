#!/usr/bin/env bash
# Runs a command with its own Wine prefix (from the template) and private X display.
# usage: with_session.sh TEMPLATE_DIR COMMAND [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_env.sh"
template=$1
shift
wine_template "$template" || { echo "could not make the Wine prefix" >&2; exit 1; }
wine_session "$template" || exit 1
"$@"
