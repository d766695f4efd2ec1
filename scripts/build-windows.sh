#!/usr/bin/env bash
# Builds the Windows executables with mingw-w64 and CMake:
#   build/windows-i686/tessivar.exe    the shipped program (32-bit, Windows Vista or later)
#   build/windows-x86_64/tessivar.exe  the same sources for 64-bit Windows
# Both are fully static: they need only DLLs that Windows ships. The third-party libraries come from
# scripts/windows-deps.sh (built once into ~/.cache/tessivar), the configuration from CMakePresets.json.
# Idempotent: a second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# The build machine's tools for the resources (the icon is rendered and packed at build time).
bash scripts/deps.sh librsvg2-bin icoutils

for arch in i686 x86_64; do
    # Installs the cross compilers on first use; the prefix is its last line of output.
    deps=$(bash scripts/windows-deps.sh "$arch" | tail -n1)
    cmake --preset "windows-$arch" -DTESSIVAR_WINDOWS_DEPS="$deps" >/dev/null
    cmake --build --preset "windows-$arch" -j "$(nproc)"
done
