#!/usr/bin/env bash
# The golden pages: the web site of the bundled sample with the default style and its tree
# pages, written by stirpex-cli with the clock fixed, compared byte for byte with the copy
# checked in under tests/golden/sample-site (every .htm page; the pictures are copies). Any
# difference, or a page missing or new, fails and is shown. After a change of the pages that
# is meant, --update replaces the copy: review `git diff` before committing it.
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
golden=$(cd "$(dirname "$0")/../tests/golden" && pwd)/sample-site
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1700000000 LC_ALL=C TZ=UTC

(cd "$work" && "$bin/stirpex-cli" --settings "$bin/ged/stirpex.ini" --set IncludeTrees=1 \
  website "$bin/ged/sample.ged" site >/dev/null)
mkdir "$work/pages"
cp "$work"/site/*.htm "$work/pages/"

if [ $update = 1 ]; then
  rm -rf "$golden"
  cp -r "$work/pages" "$golden"
  echo "golden pages updated: $(ls "$golden" | wc -l) pages in $golden"
  exit 0
fi
if ! diff -r "$golden" "$work/pages"; then
  echo "the sample's pages differ from tests/golden/sample-site (scripts/golden-pages.sh --update after a meant change)"
  exit 1
fi
