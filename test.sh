#!/usr/bin/env bash
# Sets up, builds and runs every test: first a normal build, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer (clang), then the GEDCOM reader fuzzer for
# a bounded time.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build (AddressSanitizer + UndefinedBehaviorSanitizer)"
CC=clang CXX=clang++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DSTIRPEX_SANITIZE=ON -DSTIRPEX_FUZZ=ON -DSTIRPEX_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
echo "== tests (sanitized)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE slow

fuzzer=build-asan/bin/fuzz_gedcom_reader
if [ -x "$fuzzer" ]; then
  echo "== fuzzing the GEDCOM reader (60 s)"
  corpus=$(mktemp -d)
  trap 'rm -rf "$corpus"' EXIT
  seeds=(tests/fuzz/seeds)
  [ -d ../shared/testdata/gedcom ] && seeds+=(../shared/testdata/gedcom)
  [ -d ../shared/testdata/gedcom7 ] && seeds+=(../shared/testdata/gedcom7)
  "$fuzzer" -max_total_time=60 -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" "${seeds[@]}" 2>&1 | tail -n 15
fi
echo "== all tests passed"
