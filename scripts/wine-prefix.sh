#!/usr/bin/env bash
# Makes (once) a 64-bit Wine prefix with its 32-bit half (WoW64) for running both Windows builds' tests, outside
# the source tree, and prints its path on the last line of standard output.
#
#   bash scripts/wine-prefix.sh
#   WINEPREFIX=$(bash scripts/wine-prefix.sh | tail -n1) WINEDEBUG=-all "$(bash scripts/wine-prefix.sh --wine)" prog.exe
#
# With --wine it prints the loader to run x86_64 programs with: /usr/lib/wine/wine64; with --wine32 the one for
# i686 programs: /usr/lib/wine/wine. Debian's wine64 and wine32 packages put nothing on PATH (the `wine` and
# `wineserver` commands come with the package `wine`, not installed here); the loaders and
# /usr/lib/wine/wineserver64 are all that the programs need. wine32 comes from the i386 architecture, which this
# script adds to dpkg. One prefix runs both builds, provided it was made with wine32 installed: wineboot then
# fills C:\windows\syswow64 with the 32-bit DLLs.
# The prefix is <cache>/wine/wine64-<wine version>-<hash of this script>/ (<cache> as in windows-deps.sh:
# $TESSIVAR_CACHE, else $XDG_CACHE_HOME/tessivar, else ~/.cache/tessivar); a second run finds it and ends at
# once. A new prefix takes about 25 s and 1.3 GB.
# Mono and Gecko are left out (mscoree, mshtml disabled): nothing here needs .NET or HTML, and neither can be
# downloaded here. winemenubuilder is disabled too: it would copy a prefix's Start-menu entries into the
# desktop's menus of the user running the tests. Liberation Sans is installed as C:\windows\Fonts\arial.ttf
# (see below). As root it installs the Debian packages it needs; otherwise it prints the commands to run.
set -euo pipefail

print_loader=""
case "${1:-}" in
"") ;;
--wine) print_loader=/usr/lib/wine/wine64 ;;
--wine32) print_loader=/usr/lib/wine/wine ;;
*) echo "usage: $0 [--wine|--wine32]" >&2; exit 2 ;;
esac

log() { echo "wine-prefix: $*" >&2; }

# wine32 is an i386 package: dpkg must know that architecture before apt's index (deps.sh updates it) has it.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    if [ "$(id -u)" -ne 0 ]; then
        log "the i386 architecture is missing. As root: dpkg --add-architecture i386 && apt-get update"
        exit 1
    fi
    log "adding the i386 architecture to dpkg (for wine32)"
    dpkg --add-architecture i386
fi
# The 32-bit loader needs 32-bit OpenGL (glvnd's libGL and Mesa's GLX and drivers), or WGL is disabled.
packages=(wine64 wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386 fonts-liberation)
bash "$(dirname "${BASH_SOURCE[0]}")/deps.sh" "${packages[@]}" >&2

wine64=/usr/lib/wine/wine64
for loader in "$wine64" /usr/lib/wine/wine; do
    [ -x "$loader" ] || { log "no $loader (packages wine64 and wine32:i386)"; exit 1; }
done
if [ -n "$print_loader" ]; then
    echo "$print_loader"
    exit 0
fi
wineserver=/usr/lib/wine/wineserver64
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

cache=${TESSIVAR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tessivar}
version=$(dpkg-query -W -f='${Version}' wine64 | tr -c 'A-Za-z0-9.+\n' '_')
[ "$(dpkg-query -W -f='${Version}' wine32:i386)" = "$(dpkg-query -W -f='${Version}' wine64)" ] ||
    { log "wine32:i386 and wine64 are of different versions"; exit 1; }
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
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"
# wineboot needs no X server (checked: without DISPLAY it builds the same prefix, exit status 0), so it runs
# without one, which also keeps it off a developer's display.
env -u DISPLAY "$wine64" wineboot -i >/dev/null 2>&1
"$wineserver" -w
[ -f "$prefix/system.reg" ] && [ -d "$prefix/drive_c/windows/system32" ] || { log "wineboot made no prefix"; exit 1; }
[ -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ] || { log "wineboot made no 32-bit half (syswow64)"; exit 1; }
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
