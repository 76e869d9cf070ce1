#!/usr/bin/env bash
# Plants small faults in the program one at a time and runs the tests against each: a
# fault the tests do not notice is a place where they are blind. The faults are listed in
# scripts/mutants.txt, one a line, the four fields parted by " @@ ":
#
#   file @@ text to find @@ text to put in its place @@ what the fault is
#
# The text must stand exactly once in the file; "⏎" in it stands for a line break. A line whose description begins with
# "(same)" plants a fault that cannot change what the program does (a buffer size, say):
# it is run and shown, but not counted.
#
# Usage: scripts/mutation-check.sh [BUILD_DIR] [MUTANTS_FILE]
# The build folder is configured like the normal build (window included) unless it exists;
# MUTATION_GUI=OFF leaves the window and its tests out, for a quicker check of the core's.
# Every planted fault is taken out again, also when the script is stopped.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/mutation}
list=${2:-scripts/mutants.txt}
jobs=$(nproc)
timeout=${MUTATION_TEST_TIMEOUT:-120}

[ -f "$build/CMakeCache.txt" ] ||
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLIEDWERK_BUILD_BENCH=OFF \
          -DLIEDWERK_BUILD_GUI="${MUTATION_GUI:-ON}" >/dev/null
cmake --build "$build" -j "$jobs" >/dev/null || { echo "the unchanged program does not build" >&2; exit 1; }
ctest --test-dir "$build" -j "$jobs" --timeout "$timeout" >/dev/null ||
    { echo "the tests fail without any planted fault; fix them first" >&2; exit 1; }

backup=$(mktemp)
current=""
restore() {
    if [ -n "$current" ]; then
        cp "$backup" "$current"
        current=""
    fi
}
trap 'restore; rm -f "$backup"; exit 130' INT TERM
trap 'restore; rm -f "$backup"' EXIT

caught=0; missed=0; same=0; broken=0; number=0
missed_list=()
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in ''|'#'*) continue ;; esac
    file=$(awk -F ' @@ ' '{print $1}' <<<"$line")
    find=$(awk -F ' @@ ' '{print $2}' <<<"$line")
    replace=$(awk -F ' @@ ' '{print $3}' <<<"$line")
    what=$(awk -F ' @@ ' '{print $4}' <<<"$line")
    find=${find//⏎/$'\n'}
    replace=${replace//⏎/$'\n'}
    number=$((number + 1))
    label=$(printf '%3d %s: %s' "$number" "$file" "$what")
    occurrences=$(FIND=$find perl -0ne 'my $n = () = /\Q$ENV{FIND}\E/g; print $n' "$file" 2>/dev/null || echo 0)
    if [ "$occurrences" != "1" ]; then
        echo "$label  -- NOT PLANTED: the text stands $occurrences times"
        broken=$((broken + 1))
        continue
    fi
    cp "$file" "$backup"
    current=$file
    FIND=$find REPLACE=$replace perl -0pi -e 's/\Q$ENV{FIND}\E/$ENV{REPLACE}/' "$file"
    if ! cmake --build "$build" -j "$jobs" >/dev/null 2>&1; then
        restore
        echo "$label  -- NOT PLANTED: the program does not build with it"
        broken=$((broken + 1))
        continue
    elif ctest --test-dir "$build" -j "$jobs" --timeout "$timeout" --stop-on-failure >/dev/null 2>&1; then
        verdict="MISSED"
        result=missed
    else
        verdict="caught"
        result=caught
    fi
    restore
    case "$what" in
    "(same)"*) same=$((same + 1)); echo "$label  -- $verdict (cannot change behaviour; not counted)" ;;
    *)
        echo "$label  -- $verdict"
        if [ "$result" = caught ]; then caught=$((caught + 1)); else missed=$((missed + 1)); missed_list+=("$label"); fi
        ;;
    esac
done <"$list"
cmake --build "$build" -j "$jobs" >/dev/null

counted=$((caught + missed))
echo
echo "planted faults: $counted counted, $same that cannot change behaviour, $broken not planted"
echo "caught: $caught of $counted"
if [ ${#missed_list[@]} -gt 0 ]; then
    echo "missed:"
    printf '  %s\n' "${missed_list[@]}"
fi
