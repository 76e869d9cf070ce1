#!/usr/bin/env bash
# CPU use of the idle window while its folder tree shows a busy folder (a download or
# temporary folder): files there are written, renamed and deleted several times a second.
# Starts `liedwerk` under Xvfb with its own program folder and a home folder that is the
# busy folder (the tree opens on the home folder), waits until the main window stands,
# then reads the process's CPU time from /proc/PID/stat before and after SECONDS seconds
# (default 30). The aim is under 1 % of one core.
# Usage: bench/idle-cpu.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
program="$build/src/ui/liedwerk"
seconds=${SECONDS_IDLE:-30}
[ -x "$program" ] || { echo "build the window first: cmake --build $build --target liedwerk" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "needs xvfb-run (package xvfb)" >&2; exit 1; }

work=$(mktemp -d /tmp/liedwerk-idle.XXXXXX)
writer=""
cleanup() {
    [ -n "$writer" ] && kill "$writer" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/program" "$work/home/Downloads" "$work/home/Music"
printf '"2","",""\r\n' >"$work/program/Liedwerk.ini"

# Five changes a second in the home folder: a file written, renamed and an older one deleted.
(
    i=0
    while :; do
        echo "$i" >"$work/home/part$((i % 16)).tmp"
        mv -f "$work/home/part$((i % 16)).tmp" "$work/home/file$((i % 16)).dat"
        rm -f "$work/home/file$(((i + 8) % 16)).dat"
        i=$((i + 1))
        sleep 0.2
    done
) &
writer=$!

ticks_of() { # user + system time of a process in clock ticks
    awk '{ sub(/^.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"
}

# Xvfb and the program under it; the program is the wrapper's child named liedwerk.
HOME="$work/home" LIEDWERK_PROGRAM_FOLDER="$work/program" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$program" >/dev/null 2>&1 &
wrapper=$!
pid=""
for _ in $(seq 50); do
    pid=$(pgrep -P "$wrapper" -x liedwerk || true)
    [ -n "$pid" ] && break
    sleep 0.1
done
[ -n "$pid" ] || { echo "the program did not start" >&2; kill "$wrapper"; exit 1; }
sleep 5 # the two-second splash, then the main window settles

hz=$(getconf CLK_TCK)
before=$(ticks_of "$pid")
sleep "$seconds"
after=$(ticks_of "$pid")
kill "$pid" 2>/dev/null || true
wait "$wrapper" 2>/dev/null || true

awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN {
    printf "idle window, busy folder in the tree: %.2f s CPU in %d s = %.1f %% of one core (aim: under 1 %%)\n",
           t / hz, s, 100 * t / hz / s }'
