#!/usr/bin/env bash
# Installs from Debian's packages whatever the build and the tests need and the machine lacks.
# Idempotent and silent when everything is there; never prompts.
#
# Mirrors are often caught mid-sync: one index of one source may fail to download. The update is
# retried with a back-off; if an index is still missing and the install then fails (typically
# i386 twins of amd64 libraries whose version only that index holds), the install is retried
# against only the sources whose indexes all arrived, so the two architectures agree again.
set -uo pipefail

packages=(cmake make g++ libgtest-dev googletest
          g++-mingw-w64-i686-win32 mingw-w64-i686-dev binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
          wine wine32:i386 wine64 xvfb xdotool imagemagick x11-utils
          fonts-wine fonts-liberation python3 nsis
          clang libclang-rt-14-dev clang-format)

have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
missing() { local p; for p in "${packages[@]}"; do have "$p" || echo "$p"; done; }
mapfile -t need < <(missing)
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
fail() { echo "install-deps: $*" >&2; exit 1; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386 || fail "could not add the i386 architecture"
fi
echo "Installing: ${need[*]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes to $work/failed one "URI SUITE" line per repository whose index did not download.
update() {
  local try delay=5
  for try in 1 2 3; do
    $sudo apt-get update -q >"$work/update.log" 2>&1 && { : >"$work/failed"; return 0; }
    [ "$try" -lt 3 ] && { sleep "$delay"; delay=$((delay * 3)); }
  done
  sed -n 's|^E: Failed to fetch \([^ ]*\)/dists/\([^/ ]*\)/.*|\1 \2|p' "$work/update.log" \
    | sort -u >"$work/failed"
  [ -s "$work/failed" ] || fail "apt-get update failed: $(grep '^E:' "$work/update.log" | head -n 1)"
}

install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$@" "${need[@]}" \
    >"$work/install.log" 2>&1
}

# Copies the apt sources into $work/sources without the suites listed in $work/failed.
# One-line .list entries are dropped whole; a deb822 stanza loses only the failed suites.
complete_sources() {
  mkdir -p "$work/sources/parts"
  local f out
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    case "$f" in
      */sources.list) out=$work/sources/sources.list ;;
      *) out=$work/sources/parts/$(basename "$f") ;;
    esac
    awk -v failed="$work/failed" -v deb822="${f##*.}" '
      BEGIN { while ((getline l < failed) > 0) { split(l, p, " "); bad[norm(p[1]) " " p[2]] = 1 } }
      function norm(u) { sub(/\/+$/, "", u); return u }
      function flush(   i, n, s, kept) {
        if (!nlines) return
        n = split(suites, s, " "); kept = ""
        for (i = 1; i <= n; i++) if (!((norm(uri) " " s[i]) in bad)) kept = kept " " s[i]
        if (suites == "" || kept != "") {
          for (i = 1; i <= nlines; i++) print (lines[i] ~ /^Suites:/ ? "Suites:" kept : lines[i])
          print ""
        }
        nlines = 0; suites = ""; uri = ""
      }
      deb822 == "sources" {
        if ($0 ~ /^[ \t]*$/) { flush(); next }
        lines[++nlines] = $0
        if ($1 == "URIs:") uri = $2
        if ($1 == "Suites:") { suites = $0; sub(/^Suites:[ \t]*/, "", suites) }
        next
      }
      {
        line = $0; sub(/\[[^]]*\]/, "", line); split(line, w, " ")
        if (w[1] ~ /^deb/ && ((norm(w[2]) " " w[3]) in bad)) next
        print
      }
      END { if (deb822 == "sources") flush() }
    ' "$f" >"$out" || return 1
  done
}

update
if install; then exit 0; fi
if [ -s "$work/failed" ]; then
  echo "Retrying the install without the sources whose index failed:" \
    "$(tr '\n' ' ' <"$work/failed")"
  complete_sources || fail "could not copy the apt sources"
  if install -o "Dir::Etc::SourceList=$work/sources/sources.list" \
             -o "Dir::Etc::SourceParts=$work/sources/parts"; then
    exit 0
  fi
fi
pkg=$(sed -n 's/^ \([^ ]*\) : Depends.*/\1/p; s/^E: Unable to locate package \(.*\)/\1/p' \
        "$work/install.log" | head -n 1)
index=$(grep -m 1 '^E: Failed to fetch' "$work/update.log" 2>/dev/null | awk '{print $5}')
fail "could not install ${pkg:-${need[*]}}${index:+ (index that failed: $index)}:" \
     "$(grep '^E:' "$work/install.log" | head -n 1)"
