#!/usr/bin/env bash
# Installs the Debian packages Tessivar needs; idempotent.
#   deps.sh            everything: building, running, testing (sanitizers, fuzzing) and packaging
#   deps.sh --run      only building and running the program, and run.sh's screenshot on Xvfb
#   deps.sh --package  only building the Debian package and checking it (build-deb.sh, package_test.sh)
#   deps.sh <pkg>...   those packages instead (the Windows scripts name their own)
set -euo pipefail

# Building the program and its tools, and running it (on a virtual display when there is none).
run_set=(
    cmake g++ make pkg-config
    libx11-dev libxext-dev libxrandr-dev libgl-dev libegl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0
    libglew-dev libftgl-dev libfreetype-dev libfontconfig-dev fonts-liberation zlib1g-dev libpng-dev
    librsvg2-bin icoutils
    xvfb xauth x11-utils xdotool
)
# Building the Debian package, checking it (lintian) and checking it installed (package_test.sh).
package_set=(dpkg-dev debhelper lintian desktop-file-utils man-db)
# The tests, the sanitizer and fuzzing builds.
test_set=(
    libxtst-dev libxdamage-dev libgtest-dev binutils-mingw-w64-i686
    xfonts-base x11-xkb-utils xkb-data
    appstream groff-base file unzip python3-pyqt5.qtsvg
    clang-14 libclang-rt-14-dev llvm-14
    openbox xfwm4 dbus xcompmgr picom
)

case "${1:-}" in
    --run) packages=("${run_set[@]}") ;;
    --package) packages=("${run_set[@]}" "${package_set[@]}") ;;
    "") packages=("${run_set[@]}" "${package_set[@]}" "${test_set[@]}") ;;
    *) packages=("$@") ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "tessivar: missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "tessivar: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# Another install (a second build on this machine) may hold dpkg's lock: wait for it rather than fail.
apt_wait=(-o DPkg::Lock::Timeout=600)
apt-get "${apt_wait[@]}" update -qq
apt-get "${apt_wait[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
