#!/usr/bin/env bash
# End-to-end run of the viewer under a virtual X display: a scripted user clicks through the
# bundled sample (family links, back and forward, the surname list, the notes and picture
# windows, the fan and descendant charts, a pedigree), follows a note link inside the notes window and saves that note, and
# clicks through a large real GEDCOM file; screenshots of every step are saved for a person to
# look at.
#
#   viewer_e2e.sh BIN_DIR OUT_DIR [TESTDATA_GEDCOM_DIR]
#
# Exits 77 (skipped) when xvfb-run is not installed.
set -euo pipefail
bin=$(cd "$1" && pwd)
out=$2
testdata=${3:-}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed: skipped"; exit 77; }
mkdir -p "$out"
out=$(cd "$out" && pwd)

# A program folder of its own, so the run writes its settings there and not beside the build.
program=$(mktemp -d)
trap 'rm -rf "$program"' EXIT
cp "$bin/stirpex-e2e" "$program/"
for d in styles ged help; do ln -s "$source_dir/$d" "$program/$d"; done
ln -s "$source_dir/tests/e2e" "$program/e2e"  # trees of the script's own
cp "$source_dir/ged/stirpex.ini" "$program/stirpex.ini"

run() {  # run NAME SCRIPT [ARGS...]
  local name=$1 script=$2
  shift 2
  mkdir -p "$out/$name"
  rm -f "$out/$name"/*.png "$out/$name"/*.htm
  echo "== $name"
  # The viewer's own status counts, not the filter's (which fails when it lets nothing pass).
  local statuses
  set +e
  STIRPEX_E2E_SCRIPT="$script" STIRPEX_E2E_OUT="$out/$name" \
    timeout 180 xvfb-run -a -s "-screen 0 1280x1024x24" "$program/stirpex-e2e" "$@" 2>&1 |
    grep -v "XDG_RUNTIME_DIR"
  statuses=("${PIPESTATUS[@]}")
  set -e
  local status=${statuses[0]}
  [ "$status" -eq 0 ] || { echo "viewer run '$name' failed with status $status"; exit 1; }
}

run sample "$source_dir/tests/e2e/sample.e2e"
for shot in home family back forward surnames surname-choice notes picture fan descendants \
            tree gedinfo welcome-help notes-followed; do
  [ -s "$out/sample/$shot.png" ] || { echo "missing screenshot sample/$shot.png"; exit 1; }
done

if [ -n "$testdata" ] && [ -f "$testdata/samples/Queen.ged" ]; then
  run large "$source_dir/tests/e2e/large.e2e" "$testdata/samples/Queen.ged"
  for shot in first linked back surnames tree; do
    [ -s "$out/large/$shot.png" ] || { echo "missing screenshot large/$shot.png"; exit 1; }
  done
fi
echo "screenshots in $out"
