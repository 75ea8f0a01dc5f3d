#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that the installed programs work
# from there: the bundled style and sample are found under share/stirpex, the desktop entry
# and icons are in place, and the viewer answers --help and --version.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/stirpex bin/stirpex-cli share/stirpex/styles/stirp1.sty \
         share/stirpex/ged/sample.ged share/stirpex/help/topic1.htm \
         share/applications/stirpex.desktop share/icons/hicolor/256x256/apps/stirpex.png \
         share/icons/hicolor/scalable/apps/stirpex.svg; do
  [ -e "$prefix/$f" ] || { echo "missing after install: $f"; exit 1; }
done

# The default style (styles\stirp1.sty, relative) resolves against share/stirpex.
page=$("$prefix/bin/stirpex-cli" page "$prefix/share/stirpex/ged/sample.ged" f12)
grep -q "Lionel Ambervale" <<<"$page" || { echo "stirpex-cli page did not build the page"; exit 1; }

version=$("$prefix/bin/stirpex" --version)
[ "$version" = "Stirpex 2.01" ] || { echo "unexpected --version: $version"; exit 1; }
"$prefix/bin/stirpex" --help | grep -q "GEDCOM file" || { echo "--help does not describe files"; exit 1; }
echo "installed programs work"
