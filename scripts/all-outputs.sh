#!/usr/bin/env bash
# Writes every output stirpex-cli makes of the bundled sample and of each GEDCOM file of the
# test data into one folder, with the clock fixed, so that two builds can be compared byte for
# byte (diff -r). Per tree: the web site as the settings give it, with IncludeTrees, with
# SplitSurnames, and with the privacy filter on (the auto filter's people replaced by the
# private person, and the same people with masked dates only); the filtered GEDCOM and the
# GENDEX index, plain and with the filter on; the info facts; and the page, tree, note and
# picture pages of the first few records (of every record of the sample).
#
#   scripts/all-outputs.sh BIN_DIR OUT_DIR [TESTDATA_DIR]
#
# BIN_DIR holds stirpex-cli beside the links to styles/ and ged/ (build/bin). A missing
# testdata folder leaves only the sample's outputs.
set -euo pipefail
bin=$(cd "$1" && pwd)
out=$2
testdata=${3:-$(dirname "$0")/../../shared/testdata}
cli="$bin/stirpex-cli"
export SOURCE_DATE_EPOCH=1700000000 LC_ALL=C TZ=UTC

rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)

trees=("$bin/ged/sample.ged")
if [ -d "$testdata" ]; then
  testdata=$(cd "$testdata" && pwd)
  while IFS= read -r file; do trees+=("$file"); done < <(
    find "$testdata" -type f \( -iname '*.ged' -o -iname '*.gdz' \) | LC_ALL=C sort)
fi

# Every variant reads the sample's settings (image list, start person) beside the options.
settings=(--settings "$bin/ged/stirpex.ini")
replace=(--auto-exclude --set ReplaceName=1 --set ReplaceDate=1)
mask=(--auto-exclude --set ExcMaskDateOnly=1)

# Runs a command, keeping its standard output, standard error and exit status.
keep() {  # keep NAME CMD...
  local name=$1
  shift
  local status=0
  (cd "$out" && "$@") >"$name.out" 2>"$name.err" || status=$?
  echo "$status" >"$name.status"
}

# The first n ids of the records of a tag (INDI or FAM), as the file writes them.
ids() {  # ids FILE TAG N
  LC_ALL=C grep -a -o -E "^0 @[^@]+@ $2" "$1" 2>/dev/null | head -n "$3" |
    sed -E 's/^0 @([^@]+)@.*/\1/' || true
}

for tree in "${trees[@]}"; do
  name=$(basename "$tree")
  [ "$tree" = "$bin/ged/sample.ged" ] && name=bundled-sample
  case "$tree" in "$testdata"/*) name=$(realpath --relative-to="$testdata" "$tree" | tr / _) ;; esac
  dir="$out/$name"
  mkdir -p "$dir"
  echo "== $name"
  keep "$dir/info" "$cli" info "$tree"
  keep "$dir/site" "$cli" "${settings[@]}" website "$tree" "$dir/site"
  keep "$dir/site-trees" "$cli" "${settings[@]}" --set IncludeTrees=1 website "$tree" "$dir/site-trees"
  keep "$dir/site-split" "$cli" "${settings[@]}" --set SplitSurnames=1 --set SplitNumber=3 \
    --set SurnameVerbose=1 website "$tree" "$dir/site-split"
  keep "$dir/site-replace" "$cli" "${settings[@]}" "${replace[@]}" --set IncludeTrees=1 \
    website "$tree" "$dir/site-replace"
  keep "$dir/site-mask" "$cli" "${settings[@]}" "${mask[@]}" --set IncludeTrees=1 \
    website "$tree" "$dir/site-mask"
  keep "$dir/gedcom" "$cli" "${settings[@]}" gedcom "$tree" "$dir/filtered.ged"
  keep "$dir/gedcom-replace" "$cli" "${settings[@]}" "${replace[@]}" gedcom "$tree" \
    "$dir/filtered-replace.ged"
  keep "$dir/gedcom-mask" "$cli" "${settings[@]}" "${mask[@]}" gedcom "$tree" "$dir/filtered-mask.ged"
  keep "$dir/gendex" "$cli" "${settings[@]}" gendex "$tree" "$dir/gendex.txt"
  keep "$dir/gendex-replace" "$cli" "${settings[@]}" "${replace[@]}" gendex "$tree" \
    "$dir/gendex-replace.txt"
  keep "$dir/living" "$cli" "${settings[@]}" living "$tree"
  # Single pages of the first records ("$tree" may be an archive: ids come from plain files).
  count=3
  [ "$name" = bundled-sample ] && count=1000  # every record of the small sample
  people=$(ids "$tree" INDI $count)
  families=$(ids "$tree" FAM $count)
  first_person=$(echo "$people" | head -n 1)
  n=0
  for family in $families; do
    n=$((n + 1))
    keep "$dir/page-$n" "$cli" "${settings[@]}" page "$tree" "$family"
    [ -n "$first_person" ] && keep "$dir/page-$n-person" "$cli" "${settings[@]}" --set IncludeTrees=1 \
      page "$tree" "$family" "$first_person"
    keep "$dir/page-$n-replace" "$cli" "${settings[@]}" "${replace[@]}" page "$tree" "$family"
    keep "$dir/picture-f$n" "$cli" "${settings[@]}" picture "$tree" "$family"
  done
  n=0
  for person in $people; do
    n=$((n + 1))
    keep "$dir/tree-$n" "$cli" "${settings[@]}" tree "$tree" "$person"
    keep "$dir/note-$n" "$cli" "${settings[@]}" note "$tree" "$person"
    keep "$dir/picture-$n" "$cli" "${settings[@]}" picture "$tree" "$person"
    keep "$dir/tree-$n-mask" "$cli" "${settings[@]}" "${mask[@]}" tree "$tree" "$person"
  done
done
# The folder of the output is part of some messages: write it as OUT.
grep -rlF "$out" "$out" --include='*.out' --include='*.err' 2>/dev/null |
  while IFS= read -r f; do sed -i "s|$out|OUT|g" "$f"; done
echo "outputs in $out"
