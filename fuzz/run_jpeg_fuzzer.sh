#!/usr/bin/env bash
# Builds the JPEG fuzzer with clang-14 into build-fuzz/, writes its seeds
# (the generated corpus, data/*.jpg and the kept regression inputs) and runs
# it; arguments go to libFuzzer. New inputs collect in build-fuzz/corpus,
# findings in build-fuzz/findings. Exits non-zero on any finding.
#
#   fuzz/run_jpeg_fuzzer.sh -runs=200000 -max_total_time=150
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S fuzz -B build-fuzz -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build-fuzz -j"$(nproc)" >/dev/null
mkdir -p build-fuzz/seeds build-fuzz/corpus build-fuzz/findings
./build-fuzz/quorvane_jpeg_fuzz_seeds build-fuzz/seeds
shopt -s nullglob
cp data/*.jpg tests/jpeg/regressions/*.jpg build-fuzz/seeds/
# Inputs up to 64 KB: well past the decoder's 4,096-byte input buffer, so its
# refills, and data ending inside any of them, are fuzzed too; most of
# data/*.jpg fit whole. The fuzzer's delivered-lines cap keeps runs on large
# pictures short.
ASAN_OPTIONS=detect_leaks=1 ./build-fuzz/quorvane_jpeg_fuzzer -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 "$@" build-fuzz/corpus build-fuzz/seeds
