#!/usr/bin/env bash
# The golden pages: the web site of the bundled sample with the default style and its tree
# pages, written by stirpex-cli with the clock fixed, compared byte for byte with the copies
# checked in under tests/golden (every .htm page; the pictures are copies). Any difference, or
# a page missing or new, fails and is shown.
#
# Two sites are written. The style of tests/golden/sample-site.sty (the default style as it
# stood before the charts and before family pages showed more than birth, death and marriage,
# kept unchanged) must give exactly the pages of tests/golden/sample-site: a style without the
# newer sections and markers writes the pages it always wrote. The default style must give the
# pages of tests/golden/sample-charts where that folder has one (the chart pages, the
# statistics page, the pages of sources and places, and the pages that link to them or show
# more) and of sample-site elsewhere.
# After a change of the pages that is meant, --update replaces both copies: review `git diff`
# before committing them.
#
#   scripts/golden-pages.sh [--update] BIN_DIR
#
# BIN_DIR holds stirpex-cli beside the links to styles/ and ged/ (build/bin).
set -euo pipefail
update=0
if [ "${1:-}" = --update ]; then
  update=1
  shift
fi
bin=$(cd "$1" && pwd)
golden=$(cd "$(dirname "$0")/../tests/golden" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1700000000 LC_ALL=C TZ=UTC

site() {  # site NAME [STYLE]
  local name=$1
  shift
  (cd "$work" && "$bin/stirpex-cli" --settings "$bin/ged/stirpex.ini" "$@" --set IncludeTrees=1 \
    website "$bin/ged/sample.ged" "$name" >/dev/null)
  mkdir "$work/$name-pages"
  cp "$work/$name"/*.htm "$work/$name-pages/"
}
site plain --style "$golden/sample-site.sty"
site charts

if [ $update = 1 ]; then
  rm -rf "$golden/sample-site" "$golden/sample-charts"
  cp -r "$work/plain-pages" "$golden/sample-site"
  mkdir "$golden/sample-charts"
  for page in "$work/charts-pages"/*.htm; do
    name=$(basename "$page")
    cmp -s "$page" "$golden/sample-site/$name" || cp "$page" "$golden/sample-charts/"
  done
  echo "golden pages updated: $(ls "$golden/sample-site" | wc -l) pages in sample-site," \
    "$(ls "$golden/sample-charts" | wc -l) in sample-charts"
  exit 0
fi
status=0
if ! diff -r "$golden/sample-site" "$work/plain-pages"; then
  echo "the sample's pages without charts and facts differ from tests/golden/sample-site"
  status=1
fi
# The whole style's pages against the two copies together.
mkdir "$work/expected"
cp "$golden/sample-site"/*.htm "$work/expected/"
cp "$golden/sample-charts"/*.htm "$work/expected/"
if ! diff -r "$work/expected" "$work/charts-pages"; then
  echo "the sample's pages differ from tests/golden/sample-charts and sample-site"
  status=1
fi
[ $status = 0 ] || echo "(scripts/golden-pages.sh --update after a meant change)"
exit $status
