#!/usr/bin/env bash
# Screenshots of the window and its dialogs under Xvfb, German and English, with a light
# and a dark palette, into OUTPUT_DIR (default /tmp/liedwerk-screens).
# Usage: tools/screenshots.sh [OUTPUT_DIR] [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-/tmp/liedwerk-screens}
build=${2:-build/release}
tool="$build/tools/ui_screens"
[ -x "$tool" ] || { echo "build it first: cmake --build $build --target ui_screens" >&2; exit 1; }
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1600x1200x24" "$tool" "$out"
xvfb-run -a -s "-screen 0 1600x1200x24" "$tool" "$out" --dark
