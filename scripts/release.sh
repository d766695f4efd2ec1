#!/usr/bin/env bash
# Writes every release artefact into dist/, with SHA256SUMS: the Debian package and its debug symbols
# (built twice, in different folders at different times, and required to come out byte-identical; then
# checked by lintian), and the Windows downloads from scripts/package-windows.sh where that exists.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -z "$(git status --porcelain)" ] ||
    echo "release: warning: the working tree has uncommitted changes; they go into the artefacts" >&2

dist=$PWD/dist
rm -rf "$dist"
mkdir -p "$dist"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== the Debian package, twice"
bash scripts/build-deb.sh "$work/first" >/dev/null
bash scripts/build-deb.sh "$work/second" >/dev/null
for deb in "$work"/first/*.deb; do
    name=$(basename "$deb")
    if ! cmp "$deb" "$work/second/$name"; then
        echo "release: $name differs between two builds of the same tree" >&2
        exit 1
    fi
    echo "$name: identical in both builds"
done
bash tests/packaging/lintian_check.sh "$(ls "$work"/first/*.changes)"
cp "$work"/first/*.deb "$work"/first/*.buildinfo "$dist"/

if [ -f scripts/package-windows.sh ]; then
    echo "== the Windows downloads"
    bash scripts/package-windows.sh "$dist"
else
    echo "release: warning: no scripts/package-windows.sh, so no Windows artefacts" >&2
fi

(cd "$dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | LC_ALL=C sort |
    xargs -d '\n' sha256sum -- >SHA256SUMS)
echo "== dist/"
(cd "$dist" && LC_ALL=C ls -l --time-style=+ | tail -n +2 | awk '{ print $5, $NF }' && cat SHA256SUMS)
