#!/usr/bin/env bash
# Makes (once) a 64-bit Wine prefix for running the x86_64 Windows build's tests, outside the source tree,
# and prints its path on the last line of standard output.
#
#   bash scripts/wine-prefix.sh
#   WINEPREFIX=$(bash scripts/wine-prefix.sh | tail -n1) WINEDEBUG=-all "$(bash scripts/wine-prefix.sh --wine)" prog.exe
#
# With --wine it prints the loader to run programs with instead: /usr/lib/wine/wine64. Debian's wine64 package
# puts nothing on PATH (the `wine` and `wineserver` commands come with the package `wine`, not installed
# here); its 64-bit loader and /usr/lib/wine/wineserver64 are all that x86_64 programs need.
# The prefix is <cache>/wine/wine64-<wine version>-<hash of this script>/ (<cache> as in windows-deps.sh:
# $TESSIVAR_CACHE, else $XDG_CACHE_HOME/tessivar, else ~/.cache/tessivar); a second run finds it and ends at
# once. A new prefix takes about 10 to 17 s and 700 MB.
# Mono and Gecko are left out (mscoree, mshtml disabled): nothing here needs .NET or HTML, and neither can be
# downloaded here. Liberation Sans is installed as C:\windows\Fonts\arial.ttf (see below).
# As root it installs the Debian packages it needs; otherwise it prints the command to run.
set -euo pipefail

print_wine=false
case "${1:-}" in
"") ;;
--wine) print_wine=true ;;
*) echo "usage: $0 [--wine]" >&2; exit 2 ;;
esac

log() { echo "wine-prefix: $*" >&2; }

packages=(wine64 fonts-liberation)
bash "$(dirname "${BASH_SOURCE[0]}")/deps.sh" "${packages[@]}" >&2

wine64=/usr/lib/wine/wine64
[ -x "$wine64" ] || { log "no $wine64 (package wine64)"; exit 1; }
if $print_wine; then
    echo "$wine64"
    exit 0
fi
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

cache=${TESSIVAR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tessivar}
version=$(dpkg-query -W -f='${Version}' wine64 | tr -c 'A-Za-z0-9.+\n' '_')
# Keyed by Wine's version and this script (what it puts in the prefix).
recipe=$(sha256sum "${BASH_SOURCE[0]}" | cut -c1-8)
prefix=$cache/wine/wine64-$version-$recipe
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache/wine"
exec 9>"$cache/wine/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi
log "creating $prefix"
start=$(date +%s)
rm -rf "$prefix"
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# wineboot needs no X server (checked: without DISPLAY it builds the same prefix, exit status 0), so it runs
# without one, which also keeps it off a developer's display. Its one complaint, that
# C:\windows\syswow64\rundll32.exe is missing, is the 32-bit half that wine64 alone does not have.
env -u DISPLAY "$wine64" wineboot -i >/dev/null 2>&1
"$wineserver" -w
[ -f "$prefix/system.reg" ] && [ -d "$prefix/drive_c/windows/system32" ] || { log "wineboot made no prefix"; exit 1; }
# Wine brings no Arial (and wine64 without its recommended fonts-wine no fonts at all), so every text label
# would stay silent. Liberation Sans, the face the Linux build finds for "Arial", stands in as arial.ttf.
cp /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf "$prefix/drive_c/windows/Fonts/arial.ttf"
touch "$prefix/.complete"
# Prefixes of other Wine versions or of older versions of this script are 700 MB each: they go.
for old in "$cache"/wine/wine64-*; do
    [ "$old" = "$prefix" ] || { log "removing $old"; rm -rf "$old"; }
done
log "done in $(($(date +%s) - start)) s"
echo "$prefix"
