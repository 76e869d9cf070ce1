#!/usr/bin/env bash
# Times liedwerk-cli transfer on a large synthetic KN6000/6500 backup (1980 songs, about
# 200 MB of song files) against the plain tools on the same files:
#   restore-file mode  against  cat of the same files into one file
#   card mode          against  cp of the same files into one folder, then sync (card mode
#                      flushes what it wrote before it says the card is done)
# and reports the CLI's peak memory, and what the progress line costs: each mode's run with
# standard error on a terminal (a pseudo-terminal made by script(1)) against the same run under
# script(1) with standard error elsewhere. Usage: bench/transfer-vs-tools.sh [BUILD_DIR] [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
work=${2:-$(mktemp -d /tmp/liedwerk-bench.XXXXXX)}
cli="$build/src/cli/liedwerk-cli"
make="$build/tools/liedwerk-make-samples"
songs=1980
bytes=101000   # one .SQT file a song: 1980 x 101000 = 200 MB
runs=${RUNS:-5}

[ -x "$cli" ] && [ -x "$make" ] || { echo "build first: cmake --build $build" >&2; exit 1; }
backup="$work/backup"
[ -d "$backup" ] || "$make" --full "$backup" "$songs" "$bytes" .SQT
files=$(ls "$backup"/*.SQT | sort)
size=$(du -sb "$backup" | cut -f1)
echo "backup: $songs songs, $size bytes in $backup"

# Best wall time of $runs runs of a command, in seconds; the command's folder is emptied first.
best() {
    local best=""
    for _ in $(seq "$runs"); do
        rm -rf "$work/out" && mkdir -p "$work/out" && sync
        local t0 t1
        t0=$(date +%s%N)
        "$@" >/dev/null
        t1=$(date +%s%N)
        local t=$(( (t1 - t0) / 1000 ))
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
    done
    awk -v us="$best" 'BEGIN { printf "%.3f", us / 1e6 }'
}

restore_cli=$(best "$cli" transfer "$backup" --restore-file "$work/out/Restore.sdb" --card-size 1024 --order alphabetical)
restore_cat=$(best sh -c "cat $(echo $files) > '$work/out/all.bin'")
card_cli=$(best "$cli" transfer "$backup" --card "$work/out" --allow-fixed --yes --order alphabetical)
card_cp=$(best sh -c "cp $(echo $files) '$work/out/'")
card_cp_sync=$(best sh -c "cp $(echo $files) '$work/out/' && sync -f '$work/out'")

# The progress line's cost. Both variants go through script(1), so that only the line differs,
# and they take turns, so that both meet the same load: best of $runs each, "without with".
on_terminal() { script -qec "$1" /dev/null >/dev/null; }
best_by_turns() {
    local without="" with=""
    for _ in $(seq "$runs"); do
        for variant in without with; do
            rm -rf "$work/out" && mkdir -p "$work/out" && sync
            local redirect="2>/dev/null" t0 t1 t
            [ "$variant" = with ] && redirect=""
            t0=$(date +%s%N)
            on_terminal "$1 >/dev/null $redirect"
            t1=$(date +%s%N)
            t=$(( (t1 - t0) / 1000 ))
            if [ "$variant" = without ]; then
                if [ -z "$without" ] || [ "$t" -lt "$without" ]; then without=$t; fi
            elif [ -z "$with" ] || [ "$t" -lt "$with" ]; then with=$t; fi
        done
    done
    awk -v a="$without" -v b="$with" 'BEGIN { printf "%.3f %.3f\n", a / 1e6, b / 1e6 }'
}
read -r restore_off restore_on < <(best_by_turns \
    "'$cli' transfer '$backup' --restore-file '$work/out/Restore.sdb' --card-size 1024 --order alphabetical")
read -r card_off card_on < <(best_by_turns "'$cli' transfer '$backup' --card '$work/out' --allow-fixed --yes --order alphabetical")

rm -rf "$work/out" && mkdir -p "$work/out"
peak_restore=$(/usr/bin/time -f %M "$cli" transfer "$backup" --restore-file "$work/out/Restore.sdb" --card-size 1024 --order alphabetical \
               2>&1 >/dev/null | tail -1)
rm -rf "$work/out" && mkdir -p "$work/out"
peak_card=$(/usr/bin/time -f %M "$cli" transfer "$backup" --card "$work/out" --allow-fixed --yes \
            --order alphabetical 2>&1 >/dev/null | tail -1)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "restore file: liedwerk-cli ${restore_cli}s  cat ${restore_cat}s  ratio $(ratio "$restore_cli" "$restore_cat") (target <= 1.15)"
echo "card folder:  liedwerk-cli ${card_cli}s  cp ${card_cp}s  cp+sync ${card_cp_sync}s  ratio to cp+sync $(ratio "$card_cli" "$card_cp_sync") (target <= 1.15)"
echo "progress line: restore file without ${restore_off}s  with ${restore_on}s  ratio $(ratio "$restore_on" "$restore_off");" \
     "card without ${card_off}s  with ${card_on}s  ratio $(ratio "$card_on" "$card_off")"
echo "peak memory:  restore file ${peak_restore} KiB, card ${peak_card} KiB (target <= 32768 KiB)"
