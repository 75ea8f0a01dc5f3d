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
  cat >&2 <<'MSG'
stirpex.sh: there is no display here (DISPLAY and WAYLAND_DISPLAY are not set), so the
viewer cannot open its window. Start it from a desktop session, or under a virtual display:
    xvfb-run -a ./stirpex.sh
Without any display, stirpex-cli does the same work on the command line, for example:
    build/bin/stirpex-cli info ged/sample.ged
    build/bin/stirpex-cli page ged/sample.ged f12 > f12.htm
    build/bin/stirpex-cli website ged/sample.ged /tmp/sample-site
MSG
  exit 1
fi
exec build/bin/stirpex "$@"
