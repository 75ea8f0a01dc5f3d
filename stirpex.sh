#!/usr/bin/env bash
# Sets up, builds and runs Stirpex on the bundled sample tree.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target stirpex-cli
exec build/bin/stirpex-cli info ged/sample.ged
