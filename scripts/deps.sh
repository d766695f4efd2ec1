#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tessivar need; idempotent.
# With arguments it installs those packages instead (the Windows scripts name their own).
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(
    cmake g++ make pkg-config
    libx11-dev libxext-dev libxtst-dev libxdamage-dev libgl-dev libegl-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0
    libglew-dev libftgl-dev libfreetype-dev libfontconfig-dev fonts-liberation
    libgtest-dev zlib1g-dev libpng-dev binutils-mingw-w64-i686
    xvfb xauth xfonts-base x11-utils xdotool x11-xkb-utils xkb-data
    librsvg2-bin icoutils desktop-file-utils appstream man-db groff-base file
    clang-14 libclang-rt-14-dev llvm-14
    libxrandr-dev openbox xfwm4 dbus xcompmgr picom
)

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
