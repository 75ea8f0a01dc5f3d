#!/usr/bin/env bash
# The default style's pages as a browser reads them. Writes the web site of the bundled sample
# (with tree pages and the surname list box) and of a small tree whose families have one
# partner, then checks with node that every script of every page (and search.js) parses, that
# every <style> block closes all its braces, and that no title holds a marker left as a
# comment (a browser shows a comment inside <title> as text). Picture pages are not held to
# the last rule: one section serves a person's and a family's picture, and its title names
# both.
#
#   default_style_pages.sh STIRPEX_CLI SOURCE_DIR
#
# Exit status 77 (a skip for ctest) when node is not installed.
set -euo pipefail

cli=$1
source_dir=$2
node=$(command -v node || command -v nodejs || true)
if [ -z "$node" ]; then
  echo "node is not installed: skipped"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH=1700000000

printf '%s\r\n' "0 HEAD" "1 CHAR UTF-8" \
  "0 @I1@ INDI" "1 NAME Lone /Husband/" "1 SEX M" "1 FAMS @F1@" \
  "0 @I2@ INDI" "1 NAME Lone /Wife/" "1 SEX F" "1 FAMS @F2@" \
  "0 @I3@ INDI" "1 NAME Only /Child/" "1 FAMC @F3@" \
  "0 @F1@ FAM" "1 HUSB @I1@" "0 @F2@ FAM" "1 WIFE @I2@" "0 @F3@ FAM" "1 CHIL @I3@" \
  "0 TRLR" > "$work/one-partner.ged"

options=(--style "$source_dir/styles/stirp1.sty" --set IncludeTrees=1 --set SurnameListBox=1)
(cd "$source_dir/ged" && "$cli" "${options[@]}" --set ImageList=images.txt \
  website sample.ged "$work/sample" >/dev/null)
"$cli" "${options[@]}" website "$work/one-partner.ged" "$work/one-partner" >/dev/null

"$node" - "$work/sample" "$work/one-partner" <<'EOF'
const fs = require('fs');
const path = require('path');
const vm = require('vm');

let failures = 0;
const counts = {pages: 0, scripts: 0, styles: 0};
const fail = (file, what) => {
  console.log(`FAIL ${file}: ${what}`);
  ++failures;
};
const parses = (file, code) => {
  ++counts.scripts;
  try {
    new vm.Script(code, {filename: file});  // compiled, never run
  } catch (e) {
    fail(file, `script: ${e.message}`);
  }
};
// Braces pair off once comments and strings are taken out.
const closes = (css) => {
  css = css.replace(/\/\*[\s\S]*?\*\//g, '').replace(/"(?:[^"\\]|\\.)*"|'(?:[^'\\]|\\.)*'/g, '');
  let depth = 0;
  for (const c of css) {
    if (c === '{') ++depth;
    if (c === '}' && --depth < 0) return false;
  }
  return depth === 0;
};

for (const dir of process.argv.slice(2)) {
  for (const name of fs.readdirSync(dir).sort()) {
    const file = path.join(path.basename(dir), name);
    const text = fs.readFileSync(path.join(dir, name), 'latin1');
    if (name.endsWith('.js')) parses(file, text);
    if (!name.endsWith('.htm')) continue;
    ++counts.pages;
    for (const m of text.matchAll(/<script\b([^>]*)>([\s\S]*?)<\/script>/gi)) {
      if (!/\bsrc\s*=/i.test(m[1])) parses(file, m[2]);
    }
    for (const m of text.matchAll(/<style\b[^>]*>([\s\S]*?)<\/style>/gi)) {
      ++counts.styles;
      if (!closes(m[1])) fail(file, 'a <style> block leaves a brace open');
    }
    const title = /<title>([\s\S]*?)<\/title>/i.exec(text);
    if (title && title[1].includes('<!--') && !name.endsWith('pk.htm')) {
      fail(file, `the title shows "${title[1]}"`);
    }
  }
}
console.log(`${counts.pages} pages, ${counts.scripts} scripts, ${counts.styles} style blocks`);
if (counts.pages < 50 || counts.scripts === 0) fail('the sites', 'fewer pages or scripts than meant');
process.exit(failures ? 1 : 0);
EOF
