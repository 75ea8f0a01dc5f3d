#!/usr/bin/env bash
# Writes the web site of the bundled sample tree with stirpex-cli and walks it in headless
# Chromium as a reader would: the surname index, a family page reached from it, and a tree page
# and a note page reached from that family page; then the charts: a family's fan and tree of
# descendants, a person in the fan followed to a family page, and the statistics page reached
# from the index. Each page is loaded by the browser (its DOM is what the next link is taken
# from) and photographed.
#
#   sample_site_browser.sh STIRPEX_CLI SOURCE_DIR OUT_DIR
#
# Screenshots go to OUT_DIR (index.png, family.png, tree.png, note.png, fan.png,
# descendants.png, statistics.png). Exit status 77 (a skip for ctest) when Chromium is not
# installed.
set -euo pipefail

cli=$1
source_dir=$2
out_dir=$3

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "chromium is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out_dir"
rm -f "$out_dir"/*.png

site="$work/site"
"$cli" --set IncludeTrees=1 website "$source_dir/ged/sample.ged" "$site"

# One browser run per page, each with a fresh profile, nothing from the network.
browse() {  # browse MODE(dom|shot) PAGE [PNG]
  local profile
  profile=$(mktemp -d "$work/profile.XXXX")
  local flags=(--headless --no-sandbox --disable-gpu --disable-quic --no-first-run
               --disable-background-networking --disable-component-update --disable-sync
               --user-data-dir="$profile" --window-size=1280,1000 --hide-scrollbars)
  if [ "$1" = dom ]; then
    timeout 120 "$browser" "${flags[@]}" --dump-dom "file://$2" 2>/dev/null
  else
    timeout 120 "$browser" "${flags[@]}" --screenshot="$3" "file://$2" >/dev/null 2>&1
    [ -s "$3" ] || { echo "no screenshot of $2"; return 1; }
  fi
}

# The hrefs of a DOM that name pages of the given kind (a regular expression on the name).
links() {  # links DOM_FILE PATTERN
  grep -o -i 'href="[^"#]*"' "$1" | sed -e 's/^[hH][rR][eE][fF]="//' -e 's/"$//' |
    grep -E "^$2\$" || true
}

fail() { echo "FAIL: $*"; exit 1; }

browse dom "$site/index.htm" > "$work/index.dom"
grep -q '<h3>' "$work/index.dom" || grep -q '<H3>' "$work/index.dom" ||
  fail "the index shows no surname heading"
browse shot "$site/index.htm" "$out_dir/index.png"

# The first family page of the index that links to a note page and to the tree page of someone
# with known parents (a pedigree worth looking at).
family="" tree="" note=""
for candidate in $(links "$work/index.dom" 'f[^/]*\.htm' | awk '!seen[$0]++'); do
  [ -f "$site/$candidate" ] || fail "the index links to $candidate, which was not written"
  grep -q 'nt\.htm' "$site/$candidate" && grep -q 'tr\.htm' "$site/$candidate" || continue
  browse dom "$site/$candidate" > "$work/family.dom"
  note=$(links "$work/family.dom" '[^/]*nt\.htm' | head -n 1)
  tree=""
  for t in $(links "$work/family.dom" '[^/]*tr\.htm'); do
    if [ -f "$site/$t" ] && grep -q 'HREF="[^"]*tr\.htm"' "$site/$t"; then tree=$t; break; fi
  done
  if [ -n "$tree" ] && [ -n "$note" ]; then
    family=$candidate
    break
  fi
done
[ -n "$family" ] || fail "no family page reached from the index links to a tree and a note page"
echo "index.htm -> $family -> $tree, $note"
browse shot "$site/$family" "$out_dir/family.png"

for page in "$tree" "$note"; do
  [ -f "$site/$page" ] || fail "$family links to $page, which was not written"
  browse dom "$site/$page" > "$work/page.dom"
  grep -q -i '<body' "$work/page.dom" || fail "$page did not load"
done
browse dom "$site/$tree" | grep -q 'tr\.htm' || fail "$tree shows no pedigree links"
browse shot "$site/$tree" "$out_dir/tree.png"
browse shot "$site/$note" "$out_dir/note.png"

# The charts: the first family page of the index that links to both of its charts.
charts_family=""
for candidate in $(links "$work/index.dom" 'f[^/]*\.htm' | awk '!seen[$0]++'); do
  if grep -q 'fc\.htm' "$site/$candidate" && grep -q 'dc\.htm' "$site/$candidate"; then
    charts_family=$candidate
    break
  fi
done
[ -n "$charts_family" ] || fail "no family page reached from the index links to its charts"
browse dom "$site/$charts_family" > "$work/family.dom"
fan=$(links "$work/family.dom" '[^/]*fc\.htm' | head -n 1)
descendants=$(links "$work/family.dom" '[^/]*dc\.htm' | head -n 1)
for page in "$fan" "$descendants"; do
  [ -f "$site/$page" ] || fail "$charts_family links to $page, which was not written"
  browse dom "$site/$page" > "$work/chart.dom"
  grep -q '<svg' "$work/chart.dom" || fail "$page shows no chart"
done
browse dom "$site/$fan" > "$work/fan.dom"
person=$(grep -o '<a href="f[^"]*\.htm"' "$work/fan.dom" | head -n 1 | sed 's/<a href="//; s/"$//')
[ -n "$person" ] && [ -f "$site/$person" ] || fail "no person of $fan leads to a family page"
echo "$charts_family -> $fan -> $person, $descendants"
browse shot "$site/$fan" "$out_dir/fan.png"
browse shot "$site/$descendants" "$out_dir/descendants.png"
statistics=$(links "$work/index.dom" 'statistics\.htm' | head -n 1)
[ -n "$statistics" ] || fail "the index does not link to the statistics page"
browse dom "$site/$statistics" | grep -q '<table class="numbers">' ||
  fail "the statistics page shows no numbers"
browse shot "$site/$statistics" "$out_dir/statistics.png"

echo "screenshots in $out_dir"
