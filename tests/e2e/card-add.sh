#!/usr/bin/env bash
# Adding songs to a card that liedwerk-cli wrote before, on a mounted medium as near to an SD
# card as this machine allows: a FAT16 image with 16 KiB clusters (kernel loop mount as root,
# else fusefat), else a size-limited tmpfs (root), else a plain folder. It checks that a dry
# run of the add writes nothing, that the add leaves every earlier file and information-file
# record as it was, that the card holds exactly what the information file lists and the dry
# run predicted, and that an add onto a nearly full card stops (status 3) with a card that
# still agrees with its information file.
# Usage: tests/e2e/card-add.sh [LIEDWERK_CLI]   (default build/release/src/cli/liedwerk-cli)
set -euo pipefail
cd "$(dirname "$0")/../.."
cli=$(realpath "${1:-build/release/src/cli/liedwerk-cli}")
first=samples/kn5000 second=samples/kn6000
kn=PRIVATE/TECHNICS/KN7000 inf=PRIVATE/TECHNICS/KN7000/KN7000MN.INF

work=$(mktemp -d /tmp/liedwerk-e2e.XXXXXX)
mounts=()
cleanup() {
    for m in ${mounts[@]+"${mounts[@]}"}; do
        mountpoint -q "$m" && { fusermount -uz "$m" 2>/dev/null || umount -l "$m" || true; }
    done
    rm -rf --one-file-system "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP
# The runs' lock files go here, where a dry run that leaves one behind is seen.
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"

fail() { echo "card-add: FAILED: $*" >&2; exit 1; }
pass() { echo "card-add: ok  $*"; }

# run STATUS OUT ARGS...: liedwerk-cli ARGS, its output in OUT; anything but STATUS fails.
run() {
    local want=$1 out=$2 got=0
    shift 2
    "$cli" "$@" >"$out" 2>"$out.err" || got=$?
    [ "$got" -eq "$want" ] || { cat "$out" "$out.err" >&2; fail "liedwerk-cli $* exited $got, not $want"; }
}

# mount_medium KIND DIR MB: a fresh, empty medium of KIND (fat-loop, fat-fuse, tmpfs, folder)
# on DIR, a tmpfs of MB megabytes (a FAT16 image with 16 KiB clusters has at least 64); on
# failure `why` says what stood in the way.
mount_medium() {
    local kind=$1 dir=$2 mb=$3 img=$2.img
    mkdir -p "$dir"
    [[ $kind != fat-loop && $kind != tmpfs ]] || [ "$(id -u)" -eq 0 ] || { why="not root"; return 1; }
    [ "$kind" = folder ] || mounts+=("$dir") # before mounting: a run stopped meanwhile still unmounts
    case $kind in
    fat-*)
        command -v mkfs.fat >/dev/null || { why="mkfs.fat is missing (dosfstools)"; return 1; }
        rm -f "$img" && truncate -s 64M "$img" && mkfs.fat -F 16 -s 32 -S 512 "$img" >/dev/null ||
            { why="mkfs.fat failed"; return 1; } ;;&
    fat-loop)
        why=$(mount -o "loop,uid=$(id -u),gid=$(id -g)" "$img" "$dir" 2>&1) || return 1 ;;
    fat-fuse)
        command -v fusefat >/dev/null || { why="fusefat is missing"; return 1; }
        [ -r /dev/fuse ] && [ -w /dev/fuse ] || { why="/dev/fuse is not usable"; return 1; }
        why=$(fusefat -o rw+ "$img" "$dir" 2>&1 >/dev/null) && mountpoint -q "$dir" || return 1 ;;
    tmpfs)
        why=$(mount -t tmpfs -o "size=${mb}m" tmpfs "$dir" 2>&1) || return 1 ;;
    esac
}

# pick DIR MB NEED KINDS...: mounts the first of KINDS that can be on DIR and sets `medium`
# ("" when none could); `notes` says why the others could not. With NEED "room", a FAT medium
# must show its 16 KiB clusters as the run sees them: the larger of the unit its free space is
# counted in and the block size of its folders.
pick() {
    local dir=$1 mb=$2 need=$3 kind unit
    shift 3
    medium="" notes=""
    for kind; do
        mount_medium "$kind" "$dir" "$mb" || { notes+=" $kind: ${why%%$'\n'*};"; continue; }
        unit=$(stat -f -c %S "$dir")
        [ "$(stat -c %o "$dir")" -le "$unit" ] || unit=$(stat -c %o "$dir")
        [[ $need != room || $kind != fat-* || $unit -eq 16384 ]] && { medium=$kind; return; }
        notes+=" $kind: tells free space in $unit-byte units for 16384-byte clusters;"
        fusermount -u "$dir" 2>/dev/null || umount "$dir"
    done
}

# snapshot CARD OUT: every file and folder below CARD with its size and time, and each file's checksum.
snapshot() {
    (cd "$1" && find . -printf '%y %p %s %T@\n' | LC_ALL=C sort && find . -type f -print0 | LC_ALL=C sort -z |
        xargs -0 -r sha256sum) >"$2"
}

# check_card CARD OUT: inspect finds the card sound, and the song files on it are exactly
# the ones its information file lists (slot, six-character name, one file per type).
check_card() {
    run 0 "$2" inspect "$1" --json
    jq -e '.ok and (.problems | length == 0)' "$2" >/dev/null || fail "inspect $1 finds problems: $(cat "$2")"
    diff <(jq -r '.info.folders[] | .folder as $f | .songs[] | ((.slot + 1) | tostring | ("0" * (2 - length)) + .) as $s
                  | (.firstTypes + .secondTypes)[] as $t | "\($f)/\($s)\(.sixChar)\($t)"' "$2" | LC_ALL=C sort) \
         <(cd "$1/$kn" && find . -mindepth 2 -type f | cut -c3- | LC_ALL=C sort) >&2 ||
        fail "the song files on $1 differ from those its information file lists (< listed, > on the card)"
}

# added OLD NEW: the folders and songs of inspect's NEW that are not in OLD, one line each.
added() {
    jq -r --slurpfile old "$1" '($old[0].info.folders // [] | map(.number)) as $o | .info.folders[]
        | select(.number as $n | $o | index($n) | not) | "folder \(.folder) \(.title)", (.folder as $f | .songs[]
        | ((.slot + 1) | tostring | ("0" * (2 - length)) + .) as $s | "\($s)\(.sixChar)" as $b
        | "song \($f)/\($b) \(.name) \([(.firstTypes + .secondTypes)[] | $b + .] | sort)")' \
        "$2" | LC_ALL=C sort
}
# planned PLAN: the same lines for what a dry run's JSON plan says the run writes.
planned() {
    jq -r '(.folders[] | select(.existing | not) | "folder \(.folder) \(.title)"),
           (.songs[] | select(.fate == "transferred") | "song \(.target) \(.name) \(.files | sort)")' "$1" | LC_ALL=C sort
}

# copied SAMPLE PLAN CARD: every file of every song the plan transfers is its backup file, byte for byte.
copied() {
    jq -r '.songs[] | select(.fate == "transferred") | .index as $i | (.target | split("/")[0]) as $f
           | .files[] | "\($i).\(split(".")[1]) \($f)/\(.)"' "$2" | while read -r source target; do
        cmp -s "$1/$source" "$3/$kn/$target" || fail "$kn/$target on the card is not $1/$source"
    done
}

# unchanged BEFORE AFTER: every file of snapshot BEFORE but the information file is in AFTER as it was.
unchanged() {
    grep -v '^d ' "$1" | grep -vF "./$inf" | grep -vxFf "$2" >"$work/lost" || true
    [ ! -s "$work/lost" ] || { cat "$work/lost" >&2; fail "files written before changed (above)"; }
}

# kept OLDINF NEWINF OLDJSON: the header and the records of the folders in OLDJSON are byte for byte the old ones.
kept() {
    cmp -s -n 16 "$1" "$2" || fail "the information file's header changed"
    for n in $(jq '.info.folders[].number' "$3"); do
        cmp -s -i $((16 + 496 * (n - 1))) -n 496 "$1" "$2" || fail "the record of folder $n changed"
    done
}

# ---- The medium
pick "$work/card" 64 any fat-loop fat-fuse tmpfs folder
echo "card-add: NOTICE: the card is a $medium medium${notes:+; not:$notes}"
card=$work/card

# ---- A card written from one backup (as its dry run planned), then a dry run of adding another
run 0 "$work/plan1.json" transfer "$first" --card "$card" --allow-fixed --dry-run --json
run 0 "$work/write.txt" transfer "$first" --card "$card" --yes --allow-fixed
check_card "$card" "$work/inspect1.json"
diff <(planned "$work/plan1.json") <(added /dev/null "$work/inspect1.json") >&2 || fail "the first card is not as planned"
copied "$first" "$work/plan1.json" "$card"
pass "$first written; the card holds what its information file lists and the dry run planned"
cp "$card/$inf" "$work/old.inf"
snapshot "$card" "$work/before"

run 0 "$work/plan2.json" transfer "$second" --card "$card" --allow-fixed --add --dry-run --json
jq -e '.add and .end == "complete"' "$work/plan2.json" >/dev/null || fail "the dry run plans no complete add"
snapshot "$card" "$work/after-dry"
diff "$work/before" "$work/after-dry" >&2 || fail "the dry run changed the card"
[ -z "$(find "$XDG_RUNTIME_DIR" -name '*.lock')" ] || fail "the dry run left a lock file"
pass "dry run of the add: the card and the lock folder are untouched"

# ---- The add
run 0 "$work/add.txt" transfer "$second" --card "$card" --allow-fixed --add
[ -z "$(find "$XDG_RUNTIME_DIR" -name '*.lock')" ] || fail "the add left its lock file"
check_card "$card" "$work/inspect2.json"
pass "after the add the card holds exactly what its information file lists"
snapshot "$card" "$work/after"
unchanged "$work/before" "$work/after"
pass "every file of the first card is unchanged but $inf"
kept "$work/old.inf" "$card/$inf" "$work/inspect1.json"
pass "the information file keeps the first card's records byte for byte"
diff <(planned "$work/plan2.json") <(added "$work/inspect1.json" "$work/inspect2.json") >&2 ||
    fail "the add wrote other folders or songs than its dry run planned (< planned, > written)"
copied "$second" "$work/plan2.json" "$card"
pass "the add wrote the folders and songs of its dry run, copied from $second byte for byte"

# ---- A nearly full card, on a medium whose allocation unit the run can see
pick "$work/full" 1 room fat-loop fat-fuse tmpfs
[ -n "$medium" ] || { echo "card-add: NOTICE: no medium for the nearly full card, that part is skipped:$notes"; exit 0; }
echo "card-add: NOTICE: the nearly full card is a $medium medium${notes:+; not:$notes}"
card=$work/full
run 0 "$work/full-write.txt" transfer "$first" --card "$card" --yes --allow-fixed
check_card "$card" "$work/full1.json"
run 0 "$work/full-room.json" transfer "$second" --card "$card" --allow-fixed --add --dry-run --json
# Room for the new information file and about half of what the add needs.
free=$(($(stat -f -c '%a * %S' "$card")))
keep=$((65536 + $(jq .charged "$work/full-room.json") / 2))
head -c $((free - keep)) /dev/zero >"$card/FILLER.BIN"
cp "$card/$inf" "$work/full-old.inf"
snapshot "$card" "$work/full-before"
run 3 "$work/full-plan.json" transfer "$second" --card "$card" --allow-fixed --add --dry-run --json
run 3 "$work/full-add.txt" transfer "$second" --card "$card" --allow-fixed --add
check_card "$card" "$work/full2.json"
snapshot "$card" "$work/full-after"
unchanged "$work/full-before" "$work/full-after"
kept "$work/full-old.inf" "$card/$inf" "$work/full1.json"
added "$work/full1.json" "$work/full2.json" >"$work/full-added"
new=$(grep -c '^song ' "$work/full-added" || true)
all=$(jq '[.songs[] | select(.fate == "transferred")] | length' "$work/full-room.json")
[ "$new" -gt 0 ] && [ "$new" -lt "$all" ] || fail "the add onto the nearly full card wrote $new of $all songs"
# The plan counts folders as FAT spends them: on FAT the add is its plan exactly; where
# folders cost nothing it may take more songs, never fewer.
LC_ALL=C comm -3 <(planned "$work/full-plan.json") "$work/full-added" >"$work/differ"
! grep -q '^[^\t]' "$work/differ" && { [[ $medium != fat-* ]] || [ ! -s "$work/differ" ]; } ||
    { cat "$work/differ" >&2; fail "the add onto the nearly full card differs from its dry run (above: planned, written)"; }
copied "$second" "$work/full-plan.json" "$card"
pass "nearly full card: status 3, $new of $all songs added, the old ones intact, the information file agrees"
