#!/usr/bin/env bash
# The search page of a written web site, used in headless Chromium as a visitor would: opened
# from the folder itself (file://), a query in its address, the results read from the page as
# the browser built it, and a result followed to the page it names.
#
#   search_browser.sh sample STIRPEX_CLI SOURCE_DIR OUT_DIR
#       the bundled sample: names typed with and without their accents, in any case, a part
#       of a name, two words; screenshots of the search page at 420 and 1000 pixels
#   search_browser.sh large STIRPEX_CLI STIRPEX_GEN_GEDCOM OUT_DIR [PEOPLE]
#       a generated tree (100,000 people by default): no index file over 1 MB, and the first
#       results of each query on screen within 200 ms of the page's script beginning the
#       search (the time since the page was asked for, the browser's own start included, is
#       printed beside it: on a busy machine that start alone can take 200 ms)
#
# Exit status 77 (a skip for ctest) when Chromium is not installed.
set -euo pipefail

mode=$1
cli=$2
source=$3
out_dir=$4
people=${5:-100000}

browser=$(command -v chromium || command -v chromium-browser || true)
if [ -z "$browser" ]; then
  echo "chromium is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out_dir"
site="$work/site"

fail() { echo "FAIL: $*"; exit 1; }

flags() {  # flags PROFILE WIDTH HEIGHT
  echo --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$1" --window-size="$2,$3" --hide-scrollbars
}

# The page as the browser built it, once its scripts are done (they hold the load event until
# the index files they read are in).
dom() {  # dom URL
  local profile
  profile=$(mktemp -d "$work/profile.XXXX")
  # shellcheck disable=SC2046
  timeout 120 "$browser" $(flags "$profile" 1000 800) --dump-dom "$1" 2>/dev/null
}

shot() {  # shot URL PNG WIDTH HEIGHT
  local profile
  profile=$(mktemp -d "$work/profile.XXXX")
  rm -f "$2"
  # shellcheck disable=SC2046
  timeout 120 "$browser" $(flags "$profile" "$3" "$4") --screenshot="$2" "$1" >/dev/null 2>&1
  [ -s "$2" ] || fail "no screenshot of $1"
}

# The query in an address: spaces as "+", other bytes beyond letters and digits as %XX.
encode() {
  local text=$1 i c out=""
  for ((i = 0; i < ${#text}; i++)); do
    c=${text:i:1}
    case $c in
      [a-zA-Z0-9.-]) out+=$c ;;
      " ") out+="+" ;;
      *) out+=$(printf '%s' "$c" | od -An -tx1 | tr -d ' \n' | sed 's/../%&/g') ;;
    esac
  done
  printf '%s' "$out"
}

# Searches for QUERY, checks that the results hold EXPECTED (a name), that the search ended,
# and prints the first results, the time the first of them took and the page the first links.
search() {  # search QUERY EXPECTED
  local dump="$work/search.dom" results ms total first
  dom "file://$site/search.htm?q=$(encode "$1")" > "$dump"
  grep -q 'data-state="done"' "$dump" || fail "the search for '$1' did not end"
  results=$(grep -o '<a class="name" href="[^"]*">[^<]*</a>' "$dump" || true)
  grep -q ">$2</a>" <<< "$results" || fail "'$1' did not find $2; found: $(head -n 3 <<< "$results")"
  ms=$(grep -o 'data-search-ms="[0-9]*"' "$dump" | grep -o '[0-9]*')
  total=$(grep -o 'data-ms="[0-9]*"' "$dump" | grep -o '[0-9]*')
  first=$(head -n 1 <<< "$results" | sed 's/.*href="\([^"]*\)".*/\1/')
  echo "'$1': $(grep -c . <<< "$results") shown, first results after $ms ms ($total ms since asked for), first: $(head -n 1 <<< "$results" | sed 's/<[^>]*>//g')"
  last_ms=$ms
  last_href=$first
}

# Follows the first result of the last search: its page must be there and name the person.
follow() {  # follow NAME
  [ -f "$site/$last_href" ] || fail "a result links to $last_href, which was not written"
  dom "file://$site/$last_href" | grep -q "$1" || fail "$last_href does not show $1"
  echo "  followed to $last_href"
}

if [ "$mode" = sample ]; then
  "$cli" --set IncludeTrees=1 website "$source/ged/sample.ged" "$site" >/dev/null
  search "ostergard" "Margarethe Östergård"
  follow "Margarethe Östergård"
  search "Sören" "Sören Ambervale"
  follow "Sören Ambervale"
  search "MERAND" "Élise Mérand"
  search "élise" "Élise Mérand"
  search "anneliese grun" "Anneliese Grünholt"
  follow "Anneliese Grünholt"
  search "amber" "Arthur Ambervale"
  dom "file://$site/search.htm?q=nobody+at+all" | grep -q "No one found" ||
    fail "a search that finds no one says nothing"
  # The box on a family page leads to the search page.
  grep -q '<form class="find" action="search.htm"' "$site/f1.htm" || fail "no search box on f1.htm"
  shot "file://$site/search.htm?q=ambervale" "$out_dir/search-1000.png" 1000 800
  shot "file://$site/search.htm?q=ambervale" "$out_dir/search-420.png" 420 800
  shot "file://$site/f2.htm" "$out_dir/family-with-search-box-420.png" 420 600
  echo "screenshots in $out_dir"
  exit 0
fi

[ "$mode" = large ] || fail "unknown mode $mode"
gedcom="$work/tree.ged"
"$source" --people "$people" --seed 1 --out "$gedcom" >/dev/null
"$cli" website "$gedcom" "$site"
largest=$(find "$site" -name 'search-data*.js' -printf '%s %f\n' | sort -n | tail -n 1)
echo "largest index file: $largest bytes; $(find "$site" -name 'search-data*.js' | wc -l) files"
[ "${largest%% *}" -le 1000000 ] || fail "an index file is over 1 MB: $largest"
worst=0
for query in "ostergard" "john" "mary amber" "zoe" "elise mer" "soren brondale"; do
  case $query in
    ostergard) expected="[^<]*Östergård" ;;
    john) expected="John [^<]*" ;;
    "mary amber") expected="Mary [^<]*Amber[^<]*" ;;
    zoe) expected="Zoë [^<]*" ;;
    "elise mer") expected="Élise [^<]*Mér[^<]*" ;;
    *) expected="[^<]*Søren[^<]*" ;;
  esac
  search "$query" "$expected"
  # A machine busy with other work slows a browser down: a slow query gets two more tries.
  best=$last_ms
  for try in 2 3; do
    [ "$best" -lt "${STIRPEX_SEARCH_BUDGET_MS:-200}" ] && break
    search "$query" "$expected"
    [ "$last_ms" -lt "$best" ] && best=$last_ms
  done
  [ "$best" -gt "$worst" ] && worst=$best
done
follow "Family of"
echo "slowest first results: $worst ms"
[ "$worst" -lt "${STIRPEX_SEARCH_BUDGET_MS:-200}" ] || fail "first results took $worst ms"
