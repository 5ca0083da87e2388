#!/usr/bin/env bash
# Wine test bed, sourced by the test scripts: a template prefix made once per build folder, a
# fresh prefix and a private X display for every run, and clean-up of only what a run started.
#
#   wine_template DIR      makes (once) the template prefix in DIR
#   wine_session TEMPLATE  gives this run its own WINEPREFIX and DISPLAY (Xvfb), torn down on exit

set -u

_wine_quiet() { WINEDEBUG=-all "$@" >/dev/null 2>&1; }

# WINEARCH as this machine allows. For win64 the commands named "wine" (the scripts and
# wineboot/winepath call it by name) are Wine's 64-bit loader, put first on PATH from a folder
# beside the template: Debian's "wine" picks the 32-bit loader whenever it is installed.
_wine_arch() {
  WINEARCH=$("$(dirname "${BASH_SOURCE[0]}")/wine_arch.sh")
  export WINEARCH
  [ "$WINEARCH" = win64 ] || return 0
  local bin
  bin=$(dirname "$1")/wine64-bin
  if [ ! -x "$bin/wine" ]; then
    mkdir -p "$bin"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$bin/wine"
    chmod +x "$bin/wine"
    ln -sf wine "$bin/wine-stable"
  fi
  export PATH=$bin:$PATH WINELOADER=/usr/lib/wine/wine64
}

wine_template() {
  local dir
  dir=$(realpath -m "$1")
  _wine_arch "$dir"
  [ -f "$dir/.ready" ] && return 0
  (
    flock 9
    [ -f "$dir/.ready" ] && exit 0
    rm -rf "$dir"
    export WINEPREFIX=$dir WINEDEBUG=-all
    # No Mono or Gecko: nothing here needs them, and they would be fetched from outside.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >/dev/null 2>&1 || exit 1
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
      /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
    # Wine does not find its own fonts here unless they are in the prefix.
    cp /usr/share/wine/fonts/* "$dir/drive_c/windows/Fonts/"
    for f in /usr/share/fonts/truetype/liberation/LiberationSans-*.ttf; do
      cp "$f" "$dir/drive_c/windows/Fonts/"
    done
    wineserver -w
    touch "$dir/.ready"
  ) 9>"$dir.lock"
}

_wine_free_display() {
  local n
  for n in $(seq 90 190); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"
      return 0
    fi
  done
  return 1
}

_wine_session_end() {
  if [ -n "${WINEPREFIX:-}" ] && [ -d "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$WINEPREFIX wineserver -k >/dev/null 2>&1
    WINEPREFIX=$WINEPREFIX wineserver -w >/dev/null 2>&1
  fi
  [ -n "${_WINE_XVFB_PID:-}" ] && kill "$_WINE_XVFB_PID" 2>/dev/null
  [ -n "${_WINE_SESSION_DIR:-}" ] && [ -z "${KEEP_WINE_SESSION:-}" ] && rm -rf "$_WINE_SESSION_DIR"
  return 0
}

wine_session() {
  local template
  template=$(realpath -m "$1")
  _wine_arch "$template"
  _WINE_SESSION_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quenlox-wine.XXXXXX")
  trap _wine_session_end EXIT
  # Hard links share the template's files; the registry hives, which wineserver rewrites,
  # and the hosts folder, which the tests write, are copied.
  cp -al "$template" "$_WINE_SESSION_DIR/prefix"
  for f in "$template"/*.reg; do
    rm -f "$_WINE_SESSION_DIR/prefix/$(basename "$f")"
    cp "$f" "$_WINE_SESSION_DIR/prefix/"
  done
  local etc=drive_c/windows/system32/drivers/etc
  rm -rf "$_WINE_SESSION_DIR/prefix/$etc"
  cp -r "$template/$etc" "$_WINE_SESSION_DIR/prefix/$etc"
  export WINEPREFIX=$_WINE_SESSION_DIR/prefix WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  local display
  display=$(_wine_free_display) || { echo "no free X display" >&2; return 1; }
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  _WINE_XVFB_PID=$!
  export DISPLAY=":$display"
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
  done
  return 0
}
