#!/usr/bin/env bash
# Makes the Windows downloads from the release builds of scripts/build-windows.sh:
#
#   bash scripts/package-windows.sh <outdir>
#
#   <outdir>/tessivar-<version>-windows-x86.zip  the shipped i686 executable, README.txt, LICENSE.txt and
#                                                THIRD-PARTY-NOTICES.txt in a folder tessivar-<version>/, CRLF
#   <outdir>/tessivar-<version>-x86.msi          installs the same per machine into Program Files\Tessivar, with
#                                                a Start-menu shortcut and an Add/Remove Programs entry
#   <outdir>/tessivar-<version>-windows-x64.zip, tessivar-<version>-x64.msi: the same for the x86_64 executable
#
# The version is CMake's project version, as the Windows build was configured with it. Both files are the same
# bytes from the same sources: fixed times (SOURCE_DATE_EPOCH, else the last commit's time), sorted entries, and
# installer GUIDs derived from the version (see packaging/windows/tessivar.wxs).
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <outdir>" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
cd "$root"

log() { echo "package-windows: $*" >&2; }
fail() { log "$*"; exit 1; }

bash scripts/deps.sh zip wixl uuid-runtime faketime
bash scripts/build-windows.sh >&2
# The notices must describe the libraries that were linked in.
bash scripts/third-party-notices.sh --check

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 0)
fi
# zip stores local times, and DOS times start in 1980.
[ "$SOURCE_DATE_EPOCH" -ge 315532800 ] || SOURCE_DATE_EPOCH=315532800
export SOURCE_DATE_EPOCH TZ=UTC

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Text files as Windows editors expect them.
crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"; }

# <arch> <zip name> <msi name>
package() {
    local arch=$1 zipname=$2 msiname=$3 build=build/windows-$1 version
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
    [ -n "$version" ] || fail "$build/CMakeCache.txt names no project version"
    local exe=$build/tessivar.exe icon=$build/res/tessivar.ico
    [ -f "$exe" ] && [ -f "$icon" ] || fail "no $exe or $icon"
    zipname=${zipname//@VERSION@/$version}
    msiname=${msiname//@VERSION@/$version}

    local stage=$work/$arch/tessivar-$version
    mkdir -p "$stage"
    cp "$exe" "$stage/tessivar.exe"
    sed "s/@VERSION@/$version/g" packaging/windows/README.txt >"$work/README.txt"
    crlf "$work/README.txt" "$stage/README.txt"
    crlf LICENSE "$stage/LICENSE.txt"
    crlf THIRD-PARTY-NOTICES "$stage/THIRD-PARTY-NOTICES.txt"
    chmod 755 "$stage" "$stage/tessivar.exe"
    chmod 644 "$stage"/*.txt
    find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

    # -X: no uid/gid or extended times; the names in a fixed order.
    rm -f "$out/$zipname"
    (cd "$work/$arch" && find "tessivar-$version" | LC_ALL=C sort | zip -q -X -@ "$out/$zipname")
    log "$out/$zipname"

    # The product and package codes change with each version and architecture and with nothing else.
    local wxsarch=x86 namespace=B3180129-DCF4-415B-9276-183F0C1DFBD8
    [ "$arch" = x86_64 ] && wxsarch=x64
    local product package_code
    product=$(uuidgen --sha1 --namespace "$namespace" --name "product $version $wxsarch" | tr a-f A-F)
    package_code=$(uuidgen --sha1 --namespace "$namespace" --name "package $version $wxsarch" | tr a-f A-F)
    # wixl finds the sources by paths relative to the .wxs file, so it is built beside the staged folder. It
    # stamps the summary information with the current time (frozen here by faketime) and a random package code
    # whatever the .wxs says, which msibuild then replaces (its -s also sets the Subject, to what wixl put there).
    cp packaging/windows/tessivar.wxs "$icon" "$work/$arch/"
    rm -f "$out/$msiname"
    local frozen
    frozen=$(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S')
    (cd "$work/$arch" && faketime "$frozen" wixl --arch "$wxsarch" -o "$out/$msiname" \
        -D Version="$version" -D Arch="$wxsarch" -D ProductCode="$product" -D PackageCode="$package_code" \
        -D Exe="tessivar-$version/tessivar.exe" -D Icon=tessivar.ico -D Readme="tessivar-$version/README.txt" \
        -D License="tessivar-$version/LICENSE.txt" -D Notices="tessivar-$version/THIRD-PARTY-NOTICES.txt" \
        tessivar.wxs)
    faketime "$frozen" msibuild "$out/$msiname" -s "Tessivar $version installer" "The Tessivar developers" \
        "$([ "$wxsarch" = x64 ] && echo x64 || echo Intel);1033" "{$package_code}"
    log "$out/$msiname"
}

package i686 tessivar-@VERSION@-windows-x86.zip tessivar-@VERSION@-x86.msi
package x86_64 tessivar-@VERSION@-windows-x64.zip tessivar-@VERSION@-x64.msi
