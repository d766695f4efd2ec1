#!/usr/bin/env bash
# Builds the third-party libraries of a Windows target (FreeType, FTGL, GLEW) from Debian's source packages
# into a cache outside the source tree, and prints the prefix it made on its last line of standard output.
#
#   bash scripts/windows-deps.sh <i686|x86_64>
#
# The prefix holds include/, lib/ (libfreetype.a, libftgl.a, libglew32s.a), lib/pkgconfig/ (freetype2, ftgl,
# glew), lib/cmake/freetype/, share/licenses/ and key.txt. Its path is also written to
# <cache>/windows-deps/<arch>.prefix, where cmake/toolchains/mingw-w64-<arch>.cmake looks for it.
# <cache> is $TESSIVAR_CACHE, else $XDG_CACHE_HOME/tessivar, else ~/.cache/tessivar.
#
# The prefix is named <arch>-<hash>; the hash covers this script, the toolchain files, the exact source
# package versions, the compiler packages' versions and the flags. A second run finds it and ends at once.
# As root it installs the Debian packages it needs and adds deb-src entries for Debian's archive; otherwise
# it prints the commands to run.
set -euo pipefail

usage() { echo "usage: $0 <i686|x86_64>" >&2; exit 2; }
[ $# -eq 1 ] || usage
arch=$1
case "$arch" in
i686) debarch=i686; arch_flags="-msse2 -mfpmath=sse" ;;
x86_64) debarch=x86-64; arch_flags="" ;;
*) usage ;;
esac
triplet=$arch-w64-mingw32
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
toolchain=$root/cmake/toolchains/mingw-w64-$arch.cmake
cache=${TESSIVAR_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tessivar}
store=$cache/windows-deps
sources=(freetype ftgl glew)
# The optimisation of the libraries; the architecture flags come from the toolchain file.
opt_flags="-O2 -DNDEBUG"

log() { echo "windows-deps: $*" >&2; }
is_root() { [ "$(id -u)" -eq 0 ]; }

# --- Debian packages ----------------------------------------------------------------------------------------
# Both targets' -posix compilers (not the mingw-w64 metapackage, which also brings the -win32 ones).
packages=(
    cmake make dpkg-dev xz-utils
    gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
)
bash "$(dirname "${BASH_SOURCE[0]}")/deps.sh" "${packages[@]}" >&2

# --- Source package versions --------------------------------------------------------------------------------
src_list=/etc/apt/sources.list.d/tessivar-src.sources
src_list_oneline=/etc/apt/sources.list.d/tessivar-src.list

# The highest version of a source package that apt knows (the one apt-get source fetches); empty if none.
source_version() {
    local best="" v
    while read -r v; do
        if [ -z "$best" ] || dpkg --compare-versions "$v" gt "$best"; then best=$v; fi
    done < <(apt-cache showsrc --only-source "$1" 2>/dev/null | sed -n 's/^Version: //p')
    echo "$best"
}

# deb-src entries for every enabled deb entry of Debian's archive, then a fresh package index.
add_deb_src() {
    if ! is_root; then
        log "apt has no source package index. As root, add deb-src entries and update, e.g.:"
        log "  sudo bash $0 $arch"
        exit 1
    fi
    log "adding deb-src entries ($src_list) and updating the package index"
    local f
    : >"$src_list.tmp"
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -e "$f" ] && [ "$f" != "$src_list" ] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /Types:[^\n]*deb/ && /URIs:[^\n]*debian/ && !/Enabled: *no/ {
                 sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f" >>"$src_list.tmp"
    done
    mv "$src_list.tmp" "$src_list"
    : >"$src_list_oneline.tmp"
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -e "$f" ] && [ "$f" != "$src_list_oneline" ] || continue
        sed -n 's/^[[:space:]]*deb[[:space:]]\(.*debian.*\)$/deb-src \1/p' "$f" >>"$src_list_oneline.tmp"
    done
    if [ -s "$src_list_oneline.tmp" ]; then mv "$src_list_oneline.tmp" "$src_list_oneline"; else rm -f "$src_list_oneline.tmp"; fi
    apt-get update -qq
}

# apt-cache takes a few tenths of a second, so the versions it gave are kept with the state of apt's source
# indexes (names, sizes, times) and asked again only when an update changed them.
declare -A version
resolved=$store/source-versions
# On a machine that never had deb-src entries the glob matches nothing; that is a state too, not a failure.
apt_state() { { stat -c '%n %s %Y' /var/lib/apt/lists/*_Sources* 2>/dev/null || true; } | sha256sum | cut -c1-16; }
resolve_versions() {
    local p v state
    state=$(apt_state)
    if [ -f "$resolved" ] && [ "$(head -n1 "$resolved")" = "apt-state $state" ]; then
        while read -r p v; do version[$p]=$v; done < <(tail -n +2 "$resolved")
    fi
    for p in "${sources[@]}"; do
        [ -n "${version[$p]:-}" ] || version[$p]=$(source_version "$p")
        [ -n "${version[$p]}" ] || return 0
    done
    mkdir -p "$store"
    { echo "apt-state $state"; for p in "${sources[@]}"; do echo "$p ${version[$p]}"; done; } >"$resolved.tmp.$$"
    mv "$resolved.tmp.$$" "$resolved"
}
resolve_versions
if [ -z "${version[freetype]:-}" ] || [ -z "${version[ftgl]:-}" ] || [ -z "${version[glew]:-}" ]; then
    add_deb_src
    resolve_versions
    for p in "${sources[@]}"; do
        [ -n "${version[$p]:-}" ] || { log "no source package '$p' in apt's index"; exit 1; }
    done
fi

# --- Cache key ----------------------------------------------------------------------------------------------
key_text() {
    echo "recipe $(cat "${BASH_SOURCE[0]}" "$root/cmake/toolchains/mingw-w64-common.cmake" "$toolchain" | sha256sum | cut -c1-16)"
    echo "arch $arch"
    local p
    for p in "${sources[@]}"; do echo "source $p ${version[$p]}"; done
    dpkg-query -W -f='compiler ${Package} ${Version}\n' \
        "gcc-mingw-w64-$debarch-posix" "g++-mingw-w64-$debarch-posix" "binutils-mingw-w64-$debarch" "mingw-w64-$debarch-dev"
    echo "compiler-id $("$triplet-g++-posix" -dumpfullversion) $("$triplet-g++-posix" -dumpmachine)"
    echo "flags ${arch_flags:+$arch_flags }$opt_flags"
}
key=$(key_text)
hash=$(printf '%s\n' "$key" | sha256sum | cut -c1-16)
prefix=$store/$arch-$hash

finish() {
    printf '%s\n' "$prefix" >"$store/$arch.prefix.tmp.$$"
    mv "$store/$arch.prefix.tmp.$$" "$store/$arch.prefix"
    echo "$prefix"
}

mkdir -p "$store"
if [ -f "$prefix/.complete" ]; then
    finish
    exit 0
fi

# --- Cold build ---------------------------------------------------------------------------------------------
exec 9>"$store/.lock-$arch-$hash"
flock 9
if [ -f "$prefix/.complete" ]; then # another run finished it while this one waited
    finish
    exit 0
fi
log "building FreeType ${version[freetype]}, FTGL ${version[ftgl]}, GLEW ${version[glew]} for $arch into $prefix"
start=$(date +%s)
downloads=$store/downloads
work=$(mktemp -d "$store/build-$arch-$hash.XXXXXX")
trap 'rm -rf "$work"' EXIT
rm -rf "$prefix"
mkdir -p "$downloads" "$prefix"

# The upstream part of a Debian version: no epoch, no revision.
upstream_version() { local v=${1#*:}; echo "${v%-*}"; }
dsc_name() { local v=${2#*:}; echo "${1}_$v.dsc"; }

# Fetches one source package on its own (a missing file of another package must not stop it).
fetch() {
    local p=$1 v=${version[$1]}
    if ! (cd "$downloads" && apt-get source --download-only -qq "$p=$v" >"$work/fetch-$p.log" 2>&1); then
        log "apt-get source $p=$v did not fetch every file:"
        grep -E '^E:' "$work/fetch-$p.log" | sed 's/^/  /' >&2 || true
    fi
}

# The sha256 that a .dsc gives for one of its files.
dsc_sha256() {
    awk -v f="$2" '/^Checksums-Sha256:/ { s = 1; next } /^[^ ]/ { s = 0 } s && $3 == f { print $1 }' "$1"
}

# Unpacks a source package into $work/<p>: with dpkg-source (Debian's patches applied) where every file is
# there, else the upstream .orig tarball alone, checked against the .dsc.
unpack() {
    local p=$1 v=${version[$1]} dsc
    dsc=$downloads/$(dsc_name "$p" "$v")
    [ -f "$dsc" ] || { log "no $dsc"; exit 1; }
    if (cd "$work" && dpkg-source --no-copy -x "$dsc" "$p" >"$work/unpack-$p.log" 2>&1); then
        return
    fi
    rm -rf "${work:?}/$p"
    local orig want have
    orig=$(awk '/^Checksums-Sha256:/ { s = 1; next } /^[^ ]/ { s = 0 } s && $3 ~ /\.orig\.tar\./ && $3 !~ /\.asc$/ { print $3 }' "$dsc" | head -n1)
    [ -n "$orig" ] && [ -f "$downloads/$orig" ] || { log "$p: dpkg-source -x failed and there is no .orig tarball"; cat "$work/unpack-$p.log" >&2; exit 1; }
    want=$(dsc_sha256 "$dsc" "$orig")
    have=$(sha256sum "$downloads/$orig" | cut -d' ' -f1)
    [ "$want" = "$have" ] || { log "$orig: sha256 $have, the .dsc says $want"; exit 1; }
    log "$p: Debian's patches are not to be had; using the upstream tarball $orig alone"
    mkdir -p "$work/$p"
    tar -xf "$downloads/$orig" -C "$work/$p" --strip-components=1
}

for p in "${sources[@]}"; do fetch "$p"; unpack "$p"; done
jobs=$(nproc 2>/dev/null || echo 2)
cmake_common=(
    -DCMAKE_TOOLCHAIN_FILE="$toolchain"
    -DTESSIVAR_WINDOWS_DEPS="$prefix"
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_FLAGS_RELEASE="$opt_flags"
    -DCMAKE_CXX_FLAGS_RELEASE="$opt_flags"
    -DCMAKE_INSTALL_PREFIX="$prefix"
    -DBUILD_SHARED_LIBS=OFF
)

# FreeType with its own CMake, every optional codec off.
log "FreeType"
cmake -S "$work/freetype" -B "$work/build-freetype" "${cmake_common[@]}" \
    -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON \
    >"$work/freetype-configure.log" 2>&1 || { cat "$work/freetype-configure.log" >&2; exit 1; }
cmake --build "$work/build-freetype" -j "$jobs" >"$work/freetype-build.log" 2>&1 || { tail -50 "$work/freetype-build.log" >&2; exit 1; }
cmake --install "$work/build-freetype" >/dev/null

# FTGL (its src/**/*.cpp, config.h from its cmake/ folder) and GLEW (src/glew.c), as plain static libraries.
log "FTGL and GLEW"
ftgl_version=$(upstream_version "${version[ftgl]}")
glew_version=$(upstream_version "${version[glew]}")
mkdir -p "$work/extra"
cat >"$work/extra/CMakeLists.txt" <<EOF
cmake_minimum_required(VERSION 3.16)
project(tessivar_windows_deps LANGUAGES C CXX)

add_library(glew32s STATIC "$work/glew/src/glew.c")
target_include_directories(glew32s PRIVATE "$work/glew/include")
target_compile_definitions(glew32s PRIVATE GLEW_STATIC)

file(GLOB_RECURSE ftgl_sources "$work/ftgl/src/*.cpp")
add_library(ftgl STATIC \${ftgl_sources})
target_include_directories(ftgl PRIVATE "$work/ftgl/src" "$work/ftgl/cmake" "$prefix/include/freetype2")
target_compile_definitions(ftgl PRIVATE PACKAGE_VERSION="$ftgl_version" _USE_MATH_DEFINES FTGL_LIBRARY_STATIC)

install(TARGETS glew32s ftgl ARCHIVE DESTINATION lib)
install(DIRECTORY "$work/glew/include/GL" DESTINATION include)
install(DIRECTORY "$work/ftgl/src/FTGL" DESTINATION include FILES_MATCHING PATTERN "*.h")
EOF
cmake -S "$work/extra" -B "$work/build-extra" "${cmake_common[@]}" >"$work/extra-configure.log" 2>&1 \
    || { cat "$work/extra-configure.log" >&2; exit 1; }
cmake --build "$work/build-extra" -j "$jobs" >"$work/extra-build.log" 2>&1 || { tail -50 "$work/extra-build.log" >&2; exit 1; }
cmake --install "$work/build-extra" >/dev/null

# pkg-config files for FTGL and GLEW; both name everything a static link needs.
mkdir -p "$prefix/lib/pkgconfig"
cat >"$prefix/lib/pkgconfig/ftgl.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: FTGL
Description: OpenGL text rendering with FreeType (static, for $triplet)
Version: $ftgl_version
Requires: freetype2
Libs: -L\${libdir} -lftgl -lglu32 -lopengl32
Cflags: -I\${includedir} -DFTGL_LIBRARY_STATIC
EOF
cat >"$prefix/lib/pkgconfig/glew.pc" <<EOF
prefix=$prefix
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: glew
Description: The OpenGL Extension Wrangler library (static, for $triplet)
Version: $glew_version
Libs: -L\${libdir} -lglew32s -lopengl32
Cflags: -I\${includedir} -DGLEW_STATIC
EOF

# What a statically linked program has to pass on: the copyright files.
for p in "${sources[@]}"; do
    mkdir -p "$prefix/share/licenses/$p"
    for f in debian/copyright LICENSE.TXT LICENSE.txt COPYING docs/FTL.TXT docs/GPLv2.TXT; do
        [ -f "$work/$p/$f" ] && cp "$work/$p/$f" "$prefix/share/licenses/$p/$(echo "$f" | tr / _)"
    done
done

for f in libfreetype.a libftgl.a libglew32s.a; do
    [ -f "$prefix/lib/$f" ] || { log "the build made no $prefix/lib/$f"; exit 1; }
done
printf '%s\n' "$key" >"$prefix/key.txt"
touch "$prefix/.complete"
log "done in $(($(date +%s) - start)) s"
finish
