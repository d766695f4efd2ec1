#!/usr/bin/env bash
# The oldest Windows a Windows executable declares (its PE header's OS and subsystem versions) is the oldest that
# has every function it imports from KERNEL32, USER32 and GDI32: all of them compile against mingw-w64's headers
# with _WIN32_WINNT at the declared version, and not all of them at the Windows version before it. (MSVCRT,
# OPENGL32 and GLU32 export the same functions on every Windows NT.)
#
#   minimum_windows_test.sh <tessivar.exe> <i686|x86_64>
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 <exe> <i686|x86_64>" >&2; exit 2; }
exe=$1
compiler=$2-w64-mingw32-gcc-posix
if [ ! -f "$exe" ]; then
    echo "no $exe (bash scripts/build-windows.sh builds it)"
    [ "${TESSIVAR_REQUIRE_WINDOWS:-0}" != 0 ] && exit 1
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

objdump -p "$exe" >"$work/headers"
field() { awk -v f="$1" '$1 == f { print $2 }' "$work/headers"; }
os="$(field MajorOSystemVersion).$(field MinorOSystemVersion)"
subsystem="$(field MajorSubsystemVersion).$(field MinorSubsystemVersion)"
echo "declared: OS version $os, subsystem version $subsystem"
if [ "$os" != "$subsystem" ]; then
    echo "FAIL: the OS version and the subsystem version differ"
    status=1
fi

# The Windows versions as _WIN32_WINNT numbers them, oldest first.
versions=(4.0 5.0 5.1 5.2 6.0 6.1 6.2 6.3 10.0)
winnt() { printf '0x%02X%02X' "${1%.*}" "${1#*.}"; }
previous=""
for v in "${versions[@]}"; do
    [ "$v" = "$subsystem" ] && break
    previous=$v
done
if [ "$v" != "$subsystem" ]; then
    echo "FAIL: $subsystem is no Windows version"
    exit 1
fi

awk '/DLL Name:/ { dll = toupper($3) }
     /^\t[0-9a-f]+\t/ && NF >= 3 && (dll == "KERNEL32.DLL" || dll == "USER32.DLL" || dll == "GDI32.DLL") { print $3 }' \
    "$work/headers" | sort -u >"$work/imports"
[ -s "$work/imports" ] || { echo "FAIL: no imports from KERNEL32, USER32 or GDI32 found"; exit 1; }
{
    echo '#include <windows.h>'
    echo 'void* const imports[] = {'
    sed 's/.*/    (void*)\&&,/' "$work/imports"
    echo '};'
} >"$work/imports.c"
compiles_at() { "$compiler" -D_WIN32_WINNT="$(winnt "$1")" -fsyntax-only "$work/imports.c" >"$work/errors" 2>&1; }

if compiles_at "$subsystem"; then
    echo "all $(wc -l <"$work/imports") imports exist in Windows $subsystem"
else
    echo "FAIL: imports newer than Windows $subsystem:"
    grep -o "‘[A-Za-z0-9_]*’ undeclared" "$work/errors" | sed 's/^/  /'
    status=1
fi
if [ -n "$previous" ]; then
    if compiles_at "$previous"; then
        echo "FAIL: every import exists in Windows $previous already: the declared minimum is too high"
        status=1
    else
        echo "not in Windows $previous:" $(grep -o "‘[A-Za-z0-9_]*’ undeclared" "$work/errors" | tr -d "‘’" | cut -d' ' -f1)
    fi
fi
exit $status
