#!/usr/bin/env bash
# The Debian package as a user gets it: built with dpkg-buildpackage, checked by lintian, installed with
# apt, the installed /usr/bin/tessivar run on a private Xvfb (window, Ctrl+X exits 0), then purged,
# after which no file of it may be left. The package is purged whatever fails on the way.
# Needs root (CI runs as root): the install is real, so it refuses to touch a tessivar package that was
# installed before it started.
# Usage: package_test.sh [<dir holding an already built tessivar_*.deb and .changes>]
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: installing the package needs root"
    exit 0
fi
status=$(dpkg-query -W -f='${db:Status-Status}' tessivar 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    echo "FAIL: a tessivar package is already installed; remove it first (apt-get purge tessivar)"
    exit 1
fi

work=$(mktemp -d)
installed=
purge() {
    if [ -n "$installed" ] && dpkg-query -W tessivar >/dev/null 2>&1; then
        echo "== apt-get purge tessivar"
        DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 purge -y -qq tessivar >/dev/null ||
            echo "FAIL: apt-get purge tessivar failed"
    fi
}
trap 'purge; rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

packages=${1:-$work/out}
if [ -z "${1:-}" ]; then
    echo "== building the package"
    bash scripts/build-deb.sh "$packages"
fi
deb=$(ls "$packages"/tessivar_*_*.deb)
bash tests/packaging/lintian_check.sh "$(ls "$packages"/tessivar_*.changes)" || fail "lintian"

# What names tessivar on the machine before; after the purge it must be exactly this again.
leftovers() { find /usr /etc /var/lib/dpkg/info /var/cache/debconf -iname '*tessivar*' 2>/dev/null | sort; }
before=$(leftovers)

echo "== apt-get install ./$(basename "$deb")"
installed=1
DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends \
    "$(realpath "$deb")" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install"; exit 1; }
dpkg -L tessivar | sort >"$work/files"

echo "== where desktops look"
app_id=org.example.tessivar
for path in /usr/bin/tessivar /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/$app_id.svg /usr/share/icons/hicolor/{16x16,32x32,48x48,256x256}/apps/$app_id.png \
    /usr/share/man/man1/tessivar.1.gz /usr/share/doc/tessivar/copyright; do
    grep -qx "$path" "$work/files" || fail "the package does not install $path"
done
[ "$(man -w tessivar 2>/dev/null)" = /usr/share/man/man1/tessivar.1.gz ] || fail "man does not find tessivar(1)"
[ "$(command -v tessivar)" = /usr/bin/tessivar ] || fail "tessivar is not the one on PATH"
out=$(desktop-file-validate /usr/share/applications/$app_id.desktop 2>&1) || fail "desktop-file-validate: $out"

echo "== the installed program"
bash tests/res/installed_window_test.sh / || fail "the installed program"

purge
installed=
echo "== after the purge"
while IFS= read -r path; do
    [ "$path" != /. ] || continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    # A directory stays while another package owns it too.
    if [ -d "$path" ] && [ ! -L "$path" ] && dpkg-query -S "$path" >/dev/null 2>&1; then continue; fi
    fail "$path is left behind"
done <"$work/files"
after=$(leftovers)
[ "$after" = "$before" ] || fail "files naming tessivar are left behind:
$(diff <(echo "$before") <(echo "$after") || true)"
status=$(dpkg-query -W -f='${db:Status-Status}' tessivar 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "dpkg still lists the package ($status)"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "the package builds, passes lintian, installs, runs and purges without a trace"
