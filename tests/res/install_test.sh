#!/usr/bin/env bash
# Installs the build into a staging root as a package build would (DESTDIR, prefix /usr) and checks
# what lands there: the file list, the desktop entry and AppStream metadata against their validators,
# the icon sizes and the manual page.
# Usage: install_test.sh <build-dir> <staging-root>
set -euo pipefail
build=$1
root=$2
app_id=org.example.tessivar
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

rm -rf "$root"
mkdir -p "$root"

# cmake --install rewrites <build>/install_manifest.txt, and it records the /usr paths, not the staging
# ones; keep whatever a real install left there, since that file is how one uninstalls.
manifest=$build/install_manifest.txt
saved=
if [ -e "$manifest" ]; then
    saved=$(mktemp)
    cp "$manifest" "$saved"
fi
restore_manifest() {
    if [ -n "$saved" ]; then mv "$saved" "$manifest"; else rm -f "$manifest"; fi
}
trap restore_manifest EXIT
DESTDIR=$root "${CMAKE:-cmake}" --install "$build" --prefix /usr >/dev/null
restore_manifest
trap - EXIT

echo "== installed files"
actual=$(cd "$root" && find . -type f | sed 's|^\.||' | sort)
echo "$actual"
expected=$(sort <<LIST
/usr/bin/tessivar
/usr/share/applications/$app_id.desktop
/usr/share/metainfo/$app_id.metainfo.xml
/usr/share/man/man1/tessivar.1
/usr/share/icons/hicolor/16x16/apps/$app_id.png
/usr/share/icons/hicolor/32x32/apps/$app_id.png
/usr/share/icons/hicolor/48x48/apps/$app_id.png
/usr/share/icons/hicolor/256x256/apps/$app_id.png
/usr/share/icons/hicolor/scalable/apps/$app_id.svg
LIST
)
[ "$actual" = "$expected" ] || fail "installed files differ from the expected list:
$(diff <(echo "$expected") <(echo "$actual") || true)"
[ -x "$root/usr/bin/tessivar" ] || fail "usr/bin/tessivar is not executable"

echo "== desktop-file-validate"
desktop=$root/usr/share/applications/$app_id.desktop
# Hints count too: each one is something a menu or launcher may get wrong.
if ! out=$(desktop-file-validate "$desktop" 2>&1) || [ -n "$out" ]; then fail "desktop-file-validate: $out"; fi
echo "${out:-(no output)}"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Exec)" = tessivar ] || fail "Exec is '$(entry Exec)', not the installed tessivar"
[ "$(entry Icon)" = "$app_id" ] || fail "Icon is '$(entry Icon)', not the installed icon name $app_id"
! grep -q '^StartupNotify' "$desktop" || fail "StartupNotify is set, but the program never completes a startup notification"
for key in Type Name GenericName Comment Categories Keywords StartupWMClass; do
    [ -n "$(entry $key)" ] || fail "the desktop entry has no $key"
done

echo "== appstreamcli validate --no-net"
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate failed"
echo "$out"
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo id is not $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app_id.desktop"

echo "== icon sizes"
be32() { od -An -tu1 -j "$2" -N4 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }'; }
for size in 16 32 48 256; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -f "$png" ] || continue
    signature=$(od -An -tx1 -N8 "$png" | tr -d ' \n')
    [ "$signature" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
    width=$(be32 "$png" 16)
    height=$(be32 "$png" 20)
    echo "${size}x${size}/apps/$app_id.png: ${width}x${height}"
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is ${width}x${height}, not ${size}x${size}"
done
svg=$root/usr/share/icons/hicolor/scalable/apps/$app_id.svg
grep -q '<svg ' "$svg" || fail "$svg is not an SVG"

echo "== manual page"
before=$failures
page=$root/usr/share/man/man1/tessivar.1
out=$(groff -man -ww -z "$page" 2>&1) || fail "groff failed"
[ -z "$out" ] || fail "groff -man -ww warns: $out"
out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man -l failed"
[ -z "$out" ] || fail "man -l warns: $out"
rendered=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
for section in NAME SYNOPSIS DESCRIPTION FILES "EXIT STATUS"; do
    grep -q "^$section" <<<"$rendered" || fail "the manual page has no $section section"
done
[ "$failures" -ne "$before" ] || echo "groff and man: no warnings"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all install checks passed"
