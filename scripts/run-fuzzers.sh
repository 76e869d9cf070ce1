#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS seconds (default 60).
# Usage: scripts/run-fuzzers.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
build=build/fuzz
# The libraries are instrumented too, so that the fuzzer sees coverage inside the parsers.
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIEDWERK_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
    -DLIEDWERK_SANITIZE=OFF -DLIEDWERK_BUILD_GUI=OFF -DLIEDWERK_BUILD_TESTS=OFF -DLIEDWERK_BUILD_BENCH=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
cmake --build "$build" --target "${targets[@]}"
for t in "${targets[@]}"; do
    corpus="$build/corpus-$t"
    mkdir -p "$corpus"
    echo "== $t for ${seconds}s"
    "$build/fuzz/$t" -max_total_time="$seconds" -print_final_stats=1 "$corpus" 2>&1 | tail -12
done
