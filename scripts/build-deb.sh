#!/usr/bin/env bash
# Builds the Debian package with dpkg-buildpackage from a copy of the source tree (the files git tracks
# plus new ones it does not ignore), so that no build directory of the tree goes into it and nothing is
# written next to the tree. Writes tessivar_<version>_<arch>.deb, its debug symbols (Debian names them
# tessivar-dbgsym_<version>_<arch>.deb; Ubuntu's .ddeb), the .changes and the .buildinfo into <outdir>.
# Usage: build-deb.sh <outdir>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <outdir>" >&2; exit 2; }
cd "$(dirname "$0")/.."
mkdir -p "$1"
out=$(cd "$1" && pwd)

bash scripts/deps.sh --package

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source_dir=$work/tessivar
mkdir "$source_dir"
git ls-files -z --cached --others --exclude-standard | while IFS= read -r -d '' file; do
    # A file deleted in the working tree but still tracked is simply not there.
    [ -e "$file" ] || [ -L "$file" ] || continue
    mkdir -p "$source_dir/$(dirname "$file")"
    cp -P --preserve=mode "$file" "$source_dir/$file"
done

# dpkg-buildpackage writes the results into the parent of the source directory.
(cd "$source_dir" && DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage --build=binary --no-sign >"$work/build.log" 2>&1) || {
    tail -n 60 "$work/build.log" >&2
    echo "build-deb: dpkg-buildpackage failed" >&2
    exit 1
}
cd "$work"
shopt -s nullglob
results=(*.deb *.ddeb *.changes *.buildinfo)
cp "${results[@]}" "$out"/
printf '%s\n' "${results[@]}"
