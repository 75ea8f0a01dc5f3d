#!/usr/bin/env bash
# Sets up, builds and runs every test: first a normal build, then the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer (clang), then the fuzzers of the GEDCOM reader
# and of the note filter for a bounded time (a minute together).
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

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
fuzzer=build-asan/bin/fuzz_gedcom_reader
if [ -x "$fuzzer" ]; then
  echo "== fuzzing the GEDCOM reader (40 s)"
  mkdir -p "$corpus/gedcom"
  seeds=(tests/fuzz/seeds)
  [ -d ../shared/testdata/gedcom ] && seeds+=(../shared/testdata/gedcom)
  [ -d ../shared/testdata/gedcom7 ] && seeds+=(../shared/testdata/gedcom7)
  "$fuzzer" -max_total_time=40 -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus/gedcom" "${seeds[@]}" 2>&1 | tail -n 15
fi
fuzzer=build-asan/bin/fuzz_note_html
if [ -x "$fuzzer" ]; then
  echo "== fuzzing the note filter (20 s)"
  mkdir -p "$corpus/notes"
  "$fuzzer" -max_total_time=20 -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -dict=tests/fuzz/note_html.dict -print_final_stats=1 "$corpus/notes" tests/fuzz/note_seeds \
    2>&1 | tail -n 15
fi
echo "== all tests passed"
