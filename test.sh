#!/usr/bin/env bash
# Builds everything and runs every test: once in a normal build (window included), whose
# Debian package is made and checked and whose liedwerk-cli adds songs to a card on a mounted
# FAT16 image (tests/e2e/card-add.sh), once with AddressSanitizer and UndefinedBehaviorSanitizer
# for the core and the command line, then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
jobs=$(nproc)

echo "== Core headers must not include Qt"
if grep -rEn '#include\s*<Q[A-Za-z]' src/platform src/backup src/card src/settings src/cli; then
    echo "A core folder includes a Qt header (above)." >&2
    exit 1
fi

echo "== Normal build"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

echo "== Debian package"
./scripts/check-package.sh build/release

echo "== Card: adding songs to a written card on a mounted medium"
tests/e2e/card-add.sh build/release/src/cli/liedwerk-cli

echo "== Sanitizer build (core and command line)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLIEDWERK_SANITIZE=ON -DLIEDWERK_BUILD_GUI=OFF \
      -DLIEDWERK_BUILD_BENCH=OFF
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs"

if [ -x scripts/test-windows.sh ]; then
    echo "== Windows build under Wine"
    ./scripts/test-windows.sh
fi

echo "== Tests against the program"
./scripts/test-ratio.sh
