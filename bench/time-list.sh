#!/usr/bin/env bash
# Times the whole process `liedwerk-cli list samples/kn6000 --json` (start-up, loading
# the backup, printing the list): best and median wall time of RUNS runs (default 20),
# beside the best time of starting a bare process (/bin/true) on the same machine, so
# that a busy or slow machine shows as such. The aim is under 30 ms.
# Uses hyperfine when it is installed, else date +%s%N.
# Usage: bench/time-list.sh [BUILD_DIR]   (default build/release; any build with liedwerk-cli)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
cli="$build/src/cli/liedwerk-cli"
sample=samples/kn6000
runs=${RUNS:-20}

[ -x "$cli" ] || { echo "build liedwerk-cli first: cmake --build $build --target liedwerk-cli" >&2; exit 1; }
"$cli" list "$sample" --json >/dev/null # fails loudly here rather than being timed

if command -v hyperfine >/dev/null 2>&1; then
    hyperfine --warmup 3 --runs "$runs" --shell=none "$cli list $sample --json" /bin/true
    exit 0
fi

# Wall times in microseconds of $runs runs of a command, sorted, one a line.
times_of() {
    for _ in $(seq "$runs"); do
        local t0 t1
        t0=$(date +%s%N)
        "$@" >/dev/null
        t1=$(date +%s%N)
        echo $(( (t1 - t0) / 1000 ))
    done | sort -n
}

cli_times=$(times_of "$cli" list "$sample" --json)
bare_best=$(times_of /bin/true | head -1)
echo "$cli_times" | awk -v runs="$runs" -v bare="$bare_best" -v what="liedwerk-cli list $sample --json" '
    { t[NR] = $1 }
    END {
        printf "%s, %d runs: best %.2f ms, median %.2f ms (aim: under 30 ms)\n",
               what, runs, t[1] / 1000, t[int((NR + 1) / 2)] / 1000
        printf "starting /bin/true on this machine: best %.2f ms\n", bare / 1000
        exit (t[1] < 30000 ? 0 : 1)
    }' || status=$?
# The processor time the process itself takes, free of waiting for a busy machine.
if command -v perf >/dev/null 2>&1; then
    perf stat -r "$runs" "$cli" list "$sample" --json 2>&1 >/dev/null | awk '/task-clock/ {
        printf "processor time of the process (perf task-clock, mean of the runs): %s ms\n", $1 }' || true
fi
exit "${status:-0}"
