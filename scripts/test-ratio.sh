#!/usr/bin/env bash
# The size of the tests against the size of the program: non-blank lines of C++ (.cpp and .h)
# under tests/ and under src/. The tests are kept at most a third of the program; above
# 0.33 this script says so and fails.
#
#   scripts/test-ratio.sh
set -euo pipefail
cd "$(dirname "$0")/.."
lines() { find "$1" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 -r cat | grep -cv '^[[:space:]]*$' || true; }
tests=$(lines tests)
code=$(lines src)
ratio=$(awk -v t="$tests" -v s="$code" 'BEGIN { printf "%.2f", t / s }')
echo "tests: $tests lines, program: $code lines, tests to program: $ratio"
awk -v t="$tests" -v s="$code" 'BEGIN { exit !(t <= 0.33 * s) }' ||
    { echo "The tests are more than a third of the program: make them tighter." >&2; exit 1; }
