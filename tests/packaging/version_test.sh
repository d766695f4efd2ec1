#!/usr/bin/env bash
# The project's version and release date (CMakeLists.txt) are the ones every shipped file states: the
# Debian changelog's newest entry (upstream part of its version, and its day, from which the package build
# takes SOURCE_DATE_EPOCH), the AppStream release and the manual page's footer.
# Usage: version_test.sh <source-dir> <version> <release-date> <metainfo> <manual-page>
set -euo pipefail
source_dir=$1 version=$2 date=$3 metainfo=$4 page=$5
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
echo "project: $version, released $date"

changelog=$source_dir/debian/changelog
debian_version=$(dpkg-parsechangelog -l "$changelog" -S Version)
changelog_day=$(date -u -d "$(dpkg-parsechangelog -l "$changelog" -S Date)" +%F)
echo "debian/changelog: $debian_version of $changelog_day"
[ "${debian_version%-*}" = "$version" ] || fail "debian/changelog's newest entry is $debian_version, not $version-<revision>"
[ "$debian_version" != "${debian_version%-*}" ] || fail "debian/changelog's version $debian_version has no Debian revision"
[ "$changelog_day" = "$date" ] || fail "debian/changelog's newest entry is dated $changelog_day, the release $date"

releases=$(grep -o '<release [^>]*>' "$metainfo" || true)
echo "metainfo: $releases"
newest=$(head -n 1 <<<"$releases")
grep -q "version=\"$version\"" <<<"$newest" || fail "the metainfo's newest release is not $version"
grep -q "date=\"$date\"" <<<"$newest" || fail "the metainfo's newest release is not dated $date"

footer=$(grep '^\.TH ' "$page")
echo "manual page: $footer"
[ "$footer" = ".TH TESSIVAR 1 \"$date\" \"Tessivar $version\" \"User Commands\"" ] ||
    fail "the manual page's footer does not give version $version of $date"

[ "$failures" -eq 0 ] || exit 1
echo "every file states version $version of $date"
