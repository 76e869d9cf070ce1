#!/usr/bin/env bash
# Builds when needed and starts Liedwerk.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"
if [ -x build/release/src/ui/liedwerk ]; then
    exec build/release/src/ui/liedwerk "$@"
fi
exec build/release/src/cli/liedwerk-cli list samples/kn5000 "$@"
