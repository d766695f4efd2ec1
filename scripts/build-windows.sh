#!/usr/bin/env bash
# Builds the Windows executables with mingw-w64 and CMake:
#   build/windows-i686/tessivar.exe    the shipped program (32-bit, runs on every Windows)
#   build/windows-x86_64/tessivar.exe  the same sources for 64-bit Windows; the tests run it under wine64
# Both are fully static: they need only DLLs that Windows ships. The third-party libraries come from
# scripts/windows-deps.sh (built once into ~/.cache/tessivar), the configuration from CMakePresets.json.
# Idempotent: a second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

# The build machine's tools for the resources (the icon is rendered and packed at build time).
packages=(librsvg2-bin icoutils)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "tessivar: missing Debian packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "tessivar: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

for arch in i686 x86_64; do
    # Installs the cross compilers on first use; the prefix is its last line of output.
    deps=$(bash scripts/windows-deps.sh "$arch" | tail -n1)
    cmake --preset "windows-$arch" -DTESSIVAR_WINDOWS_DEPS="$deps" >/dev/null
    cmake --build --preset "windows-$arch" -j "$(nproc)"
done
