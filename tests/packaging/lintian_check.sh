#!/usr/bin/env bash
# Runs Debian's lintian on a .changes with every tag shown (info, pedantic, experimental, overrides) and
# fails on any error or warning. Usage: lintian_check.sh <file.changes>
set -euo pipefail
changes=$1
echo "== lintian -I -E --pedantic --show-overrides $(basename "$changes")"
# lintian warns on stderr that it runs as root (CI does); that is not about the package.
out=$(lintian -I -E --pedantic --show-overrides "$changes" 2> >(grep -v '^running with root privileges' >&2)) || {
    echo "$out"
    echo "FAIL: lintian exited with an error"
    exit 1
}
echo "${out:-(no tags)}"
if grep -q '^[EW]: ' <<<"$out"; then
    echo "FAIL: lintian reports errors or warnings"
    exit 1
fi
