#!/usr/bin/env bash
# Checks that the Windows release builds are reproducible: the tree's executables, zips and MSIs against those of
# a second build of the same sources in another folder, made later. Any byte that differs fails.
#
#   bash scripts/reproducible-windows.sh
#
# The second tree is a copy of the files git knows (tracked, and untracked but not ignored) under a path of
# another length, built from scratch (the third-party libraries come from the same cache). Both package with the
# same SOURCE_DATE_EPOCH (the last commit's time unless set), as a release does.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH

work=$(mktemp -d /tmp/tessivar-reproducible-XXXXXX)
trap 'rm -rf "$work"' EXIT
start=$(date +%s)
bash scripts/package-windows.sh "$work/first" >/dev/null

other=$work/a-second-tree-somewhere-else
mkdir -p "$other"
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$other"
(cd "$other" && bash scripts/package-windows.sh "$work/second" >/dev/null)

status=0
compare() {
    if cmp -s "$1" "$2"; then
        echo "same: $3 ($(stat -c %s "$1") bytes, sha256 $(sha256sum "$1" | cut -c1-16)...)"
    else
        echo "DIFFERENT: $3: $(cmp -l "$1" "$2" 2>/dev/null | wc -l) bytes differ; first: $(cmp "$1" "$2" 2>&1 || true)"
        status=1
    fi
}
for arch in i686 x86_64; do
    compare "$root/build/windows-$arch/tessivar.exe" "$other/build/windows-$arch/tessivar.exe" "$arch tessivar.exe"
done
for f in "$work"/first/*; do
    compare "$f" "$work/second/$(basename "$f")" "$(basename "$f")"
done
[ "$(ls "$work/first" | wc -l)" -eq 4 ] || { echo "expected 4 packages, got: $(ls "$work/first")"; status=1; }
echo "reproducible-windows: $([ $status -eq 0 ] && echo passed || echo FAILED) in $(($(date +%s) - start)) s"
exit $status
