#!/usr/bin/env bash
# Sets up, builds and opens the Stirpex viewer on the bundled sample tree.
# Arguments are passed to the viewer (a GEDCOM, style or project file).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target stirpex stirpex-cli

# The viewer keeps its settings in stirpex.ini beside the program. A first run gets the
# sample's settings: the Ambervale family of Lionel and Mabel, with parents, children and
# pictures, as the home page. The source tree is never written.
[ -e build/bin/stirpex.ini ] || cp ged/stirpex.ini build/bin/stirpex.ini

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  # No screen to open the viewer on: do the same work with stirpex-cli instead.
  site=build/sample-site
  cat >&2 <<MSG
stirpex.sh: there is no display here (DISPLAY and WAYLAND_DISPLAY are not set), so the
viewer cannot open its window. Start it from a desktop session, or under a virtual display:
    xvfb-run -a ./stirpex.sh
Meanwhile stirpex-cli does the same work on the command line: the facts of the sample tree,
and its web site written to $site/ (open $site/index.htm in a browser).
MSG
  build/bin/stirpex-cli info ged/sample.ged
  build/bin/stirpex-cli --set IncludeTrees=1 --set ImageList=ged/images.txt \
    website ged/sample.ged "$site"
  exit 0
fi
exec build/bin/stirpex "$@"
