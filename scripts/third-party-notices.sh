#!/usr/bin/env bash
# Writes THIRD-PARTY-NOTICES: the licences of what the Windows executables link statically, gathered verbatim from
# the copyright files of the very builds they come from, never retyped.
#
#   bash scripts/third-party-notices.sh           writes THIRD-PARTY-NOTICES at the root of the tree
#   bash scripts/third-party-notices.sh --check   fails (status 1, with the difference) where it is out of date
#   bash scripts/third-party-notices.sh --stdout  prints it
#
# FreeType, FTGL and GLEW: their upstream licence files and Debian's copyright files, as scripts/windows-deps.sh
# kept them in its prefix's share/licenses/ (both targets build the same source packages). The mingw-w64 runtime
# and winpthreads, and libgcc/libstdc++: the copyright files of the installed cross-compiler packages. The file is
# committed so that the tree shows it; --check (run by the tests and before packaging) catches a library or
# package update that changed a licence.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=write
case "${1:-}" in
"") ;;
--check) mode=check ;;
--stdout) mode=stdout ;;
*) echo "usage: $0 [--check|--stdout]" >&2; exit 2 ;;
esac

fail() { echo "third-party-notices: $*" >&2; exit 1; }

deps=$(bash scripts/windows-deps.sh i686 | tail -n1)
licenses=$deps/share/licenses
mingw_copyright=/usr/share/doc/mingw-w64-i686-dev/copyright
gcc_copyright=/usr/share/doc/gcc-mingw-w64-base/copyright
for f in "$licenses"/freetype/{LICENSE.TXT,docs_FTL.TXT,debian_copyright} "$licenses"/ftgl/{COPYING,debian_copyright} \
    "$licenses"/glew/{LICENSE.txt,debian_copyright} "$mingw_copyright" "$gcc_copyright" "$deps/key.txt"; do
    [ -s "$f" ] || fail "no $f"
done

# Upstream versions only ("2.12.1" of "2.12.1+dfsg-5+deb12u4"): a Debian revision or security update leaves the
# licences as they were and should not make the file out of date.
upstream() { local v=${1#*:}; v=${v%-*}; echo "${v%%+*}"; }
source_version() { upstream "$(sed -n "s/^source $1 //p" "$deps/key.txt")"; }
package_version() { upstream "$(dpkg-query -W -f='${Version}' "$1")"; }

# The FreeType Licence asks for a credit in the documentation, with <year> replaced by that of the FreeType
# version in use: the last year of the copyright line of its main header.
freetype_year=$(sed -n 's/.*Copyright (C) [0-9]*-\([0-9]\{4\}\) by.*/\1/p' "$deps/include/freetype2/freetype/freetype.h" |
    head -n1)
[ -n "$freetype_year" ] || fail "no copyright year in FreeType's freetype.h"
credit=$(sed -n '/^ *Portions of this software are copyright/,/All rights reserved\./p' "$licenses/freetype/docs_FTL.TXT" |
    sed -e 's/^ *//' -e "s/<year>/$freetype_year/")
[ -n "$credit" ] || fail "no credit text in FreeType's FTL.TXT"

# GCC's copyright file describes the whole compiler collection: its licensing terms up to the end of the runtime
# library exception are what covers libgcc and libstdc++.
gcc_terms() {
    sed -n '/^COPYRIGHT STATEMENTS AND LICENSING TERMS$/,/^requirements of the license of GCC\.$/p' "$gcc_copyright"
}
gcc_terms | tail -n1 | grep -q '^requirements of the license of GCC\.$' ||
    fail "$gcc_copyright: the licensing terms or the runtime library exception are not where expected"

rule() { printf '%s\n' "==============================================================================="; }
section() {
    echo
    rule
    echo "$1"
    rule
    echo
}
file_part() {
    echo
    echo "----- $1 -----"
    echo
    cat "$2"
}

notices() {
    cat <<TEXT
Third-party software in Tessivar for Windows
============================================

tessivar.exe for Windows contains the following libraries, linked in statically. Their licences and copyright
notices follow, as their authors and Debian's maintainers wrote them. (Tessivar itself is under the MIT
licence: see LICENSE.)

  1. FreeType $(source_version freetype), under the FreeType License (FTL)
  2. FTGL $(source_version ftgl)
  3. GLEW $(source_version glew), with its Khronos and Mesa parts
  4. The mingw-w64 runtime and winpthreads (mingw-w64 $(package_version mingw-w64-i686-dev))
  5. libgcc and libstdc++ of GCC $(package_version gcc-mingw-w64-i686-posix), under the GCC Runtime Library Exception
TEXT
    section "1. FreeType"
    echo "$credit"
    file_part "FreeType: LICENSE.TXT" "$licenses/freetype/LICENSE.TXT"
    file_part "FreeType: docs/FTL.TXT (the licence chosen)" "$licenses/freetype/docs_FTL.TXT"
    file_part "FreeType: Debian's copyright file" "$licenses/freetype/debian_copyright"
    section "2. FTGL"
    file_part "FTGL: COPYING" "$licenses/ftgl/COPYING"
    file_part "FTGL: Debian's copyright file" "$licenses/ftgl/debian_copyright"
    section "3. GLEW"
    file_part "GLEW: LICENSE.txt" "$licenses/glew/LICENSE.txt"
    file_part "GLEW: Debian's copyright file" "$licenses/glew/debian_copyright"
    section "4. mingw-w64 runtime and winpthreads"
    file_part "mingw-w64: Debian's copyright file" "$mingw_copyright"
    section "5. libgcc and libstdc++ (GCC)"
    echo "----- GCC: Debian's copyright file, its licensing terms through the GCC Runtime Library Exception -----"
    echo
    gcc_terms
}

case $mode in
stdout) notices ;;
write) notices >THIRD-PARTY-NOTICES.tmp && mv THIRD-PARTY-NOTICES.tmp THIRD-PARTY-NOTICES ;;
check)
    if ! diff -u THIRD-PARTY-NOTICES <(notices) >&2; then
        fail "THIRD-PARTY-NOTICES is out of date: run bash scripts/third-party-notices.sh and commit it"
    fi
    ;;
esac
