#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (installed when missing) and runs the fuzzer of the
# shared machine's message parser for RUNS inputs (default one million) under AddressSanitizer and
# UndefinedBehaviorSanitizer. Any input that crashes or breaks the parser's contract stops it with
# the input saved in build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-1000000}"
bash scripts/bootstrap.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZO_BUILD_FUZZERS=ON -DZO_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build/fuzz -j2 --target service_message_fuzz reg_text_parser_fuzz >/dev/null
corpus=build/fuzz/corpus/service_message
mkdir -p "$corpus"
cd build/fuzz
bin/service_message_fuzz -runs="$runs" -max_len=4096 -print_final_stats=1 "../../$corpus"
