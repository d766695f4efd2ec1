#!/usr/bin/env bash
# Builds Tessivar for Linux and Windows and runs every test: the Linux build's tests, which also check the
# Windows executables, run both under Wine and install, run and remove the Windows packages (here a missing
# Windows build, package or Wine fails instead of skipping), then the Debian package (built, checked by lintian,
# installed, run and purged), the sanitizer builds, a short fuzzing run and the reproducibility check of the
# Windows builds. All of them run; any failure fails the whole.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/build-windows.sh
bash scripts/package-windows.sh build/windows-packages
bash scripts/wine-prefix.sh >/dev/null
cmake --preset linux -DTESSIVAR_WINDOWS_EXE="$PWD/build/windows-x86_64/tessivar.exe" \
    -DTESSIVAR_WINDOWS_SHIPPED_EXE="$PWD/build/windows-i686/tessivar.exe" \
    -DTESSIVAR_WINDOWS_PACKAGE_DIR="$PWD/build/windows-packages" >/dev/null
export TESSIVAR_REQUIRE_WINDOWS=1
bash scripts/build.sh
status=0
ctest --test-dir build --output-on-failure -j "$(nproc)" || status=1
bash tests/packaging/package_test.sh || status=1
bash scripts/sanitize.sh || status=1
bash scripts/fuzz.sh 20 || status=1
bash scripts/reproducible-windows.sh || status=1
exit $status
