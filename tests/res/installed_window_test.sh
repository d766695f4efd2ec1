#!/usr/bin/env bash
# Runs the installed program on a private Xvfb and checks what a desktop matches it by: the window's
# WM_CLASS against the desktop entry's StartupWMClass, and the _NET_WM_ICON sizes against the installed
# hicolor icons. Ctrl+X must then close it with status 0, as the manual page says.
# Usage: installed_window_test.sh <staging-root>   (as left by install_test.sh)
set -euo pipefail
root=$1
app_id=org.example.tessivar
caption='Tessivar - tessivar.example.org'
desktop=$root/usr/share/applications/$app_id.desktop
program=$root/usr/bin/tessivar
[ -x "$program" ] && [ -f "$desktop" ] || { echo "FAIL: nothing installed under $root"; exit 1; }

work=$(mktemp -d)
xvfb=
gauge=
cleanup() {
    [ -n "$gauge" ] && kill "$gauge" 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# -displayfd lets Xvfb pick a free display itself, so parallel tests never race for one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=":$(cat "$work/display")"

"$program" >"$work/output" 2>&1 &
gauge=$!
# --onlyvisible: the title is set before the window is mapped, and focusing an unmapped window fails.
window=$(timeout 10 xdotool search --sync --onlyvisible --name "^${caption//./\\.}\$" | head -n 1) || true
[ -n "$window" ] || { echo "FAIL: no window titled '$caption'"; cat "$work/output"; exit 1; }

failures=0
wm_class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p')
startup_class=$(sed -n 's/^StartupWMClass=//p' "$desktop")
echo "WM_CLASS class: $wm_class; StartupWMClass: $startup_class"
[ -n "$wm_class" ] && [ "$wm_class" = "$startup_class" ] || {
    echo "FAIL: the desktop entry's StartupWMClass does not match the window"
    failures=$((failures + 1))
}

# _NET_WM_ICON is width, height, then width x height pixels, for each image in turn; it is longer than
# the 250000 bytes xprop reads by default.
sizes=$(xprop -id "$window" -len 1000000 -notype -f _NET_WM_ICON 32c ' $0+\n' _NET_WM_ICON |
    awk -F', ' '{ sub(/^_NET_WM_ICON /, ""); n = split($0, v); for (i = 1; i + 1 <= n; i += 2 + v[i] * v[i + 1]) printf "%sx%s ", v[i], v[i + 1] }' | sed 's/ $//')
echo "_NET_WM_ICON images: $sizes"
installed=""
for size in 256 48 32 16; do
    [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png" ] && installed+="${installed:+ }${size}x${size}"
done
[ "$sizes" = "$installed" ] || {
    echo "FAIL: the window icon has images $sizes, the installed icons are $installed"
    failures=$((failures + 1))
}

xdotool windowfocus --sync "$window" key ctrl+x
status=0
timeout 10 tail --pid="$gauge" -f /dev/null || true
wait "$gauge" || status=$?
gauge=
echo "exit status after Ctrl+X: $status"
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] || exit 1
echo "the installed program matches its desktop entry and icons"
