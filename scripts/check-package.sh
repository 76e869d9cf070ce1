#!/usr/bin/env bash
# Makes the Debian package from a built release folder and checks it as an installed system
# would see it: lintian reports no error; unpacked into a temporary root, liedwerk-cli runs
# and lists a sample as the built one does, the window finds its help files in that root and
# keeps its settings out of its bin folder; the desktop entry is valid; the manual pages
# format without a warning; the bash completion offers what --help shows.
# Usage: scripts/check-package.sh [BUILD_DIR]   (default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
out="$build/package"

fail() {
    echo "check-package: $*" >&2
    exit 1
}

rm -rf "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out.log" 2>&1 || { cat "$out.log" >&2; fail "cpack failed"; }
deb=$(ls "$out"/liedwerk_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Depends

# lintian: an error fails the check; warnings are shown.
lintian --info "$deb" | tee "$out/lintian.txt"
! grep -q '^E:' "$out/lintian.txt" || fail "lintian reports errors (above)"

root=$(mktemp -d /tmp/liedwerk-package.XXXXXX)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for f in usr/bin/liedwerk usr/bin/liedwerk-cli usr/share/liedwerk/Help.html usr/share/liedwerk/Hilfe.html \
         usr/share/applications/liedwerk.desktop usr/share/icons/hicolor/scalable/apps/liedwerk.svg \
         usr/share/man/man1/liedwerk.1.gz usr/share/man/man1/liedwerk-cli.1.gz \
         usr/share/bash-completion/completions/liedwerk-cli usr/share/doc/liedwerk/copyright; do
    [ -e "$root/$f" ] || fail "the package lacks /$f"
done

# The command line from the package: its usage, and a list byte for byte as the built one gives it.
cli="$root/usr/bin/liedwerk-cli"
"$cli" --help | grep -q '^usage: liedwerk-cli COMMAND' || fail "liedwerk-cli --help from the package"
"$cli" list samples/kn5000 >"$out/list.txt" || fail "liedwerk-cli list from the package"
"$build/src/cli/liedwerk-cli" list samples/kn5000 | cmp -s - "$out/list.txt" ||
    fail "liedwerk-cli list from the package differs from the built one's"

# The window from the package names the help files it opens with F1 and its settings file:
# the help from the root's share/liedwerk, the settings in the user's data folder (not in
# the root's usr/bin, although that is writable here).
home="$root/home"
mkdir -p "$home"
usage=$(env -u XDG_DATA_HOME -u LIEDWERK_PROGRAM_FOLDER HOME="$home" "$root/usr/bin/liedwerk" --help)
for expected in "$root/usr/share/liedwerk/Hilfe.html" "$root/usr/share/liedwerk/Help.html" \
                "$home/.local/share/liedwerk/Liedwerk.ini"; do
    grep -qxF "  $expected" <<<"$usage" || { echo "$usage" >&2; fail "liedwerk --help does not name $expected"; }
done

desktop-file-validate "$root/usr/share/applications/liedwerk.desktop" || fail "the desktop entry is not valid"

for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# Completion: the words offered for a command line (its last word is the one being completed),
# against what --help shows.
completions() {
    (cd samples && bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _liedwerk_cli
                            printf "%s\n" "${COMPREPLY[@]}"' _ "$root/usr/share/bash-completion/completions/liedwerk-cli" \
                            liedwerk-cli "$@") | sorted
}
sorted() { grep . | sort | tr '\n' ' '; }
commands=$( ("$cli" --help | sed -n 's/^  \([a-z][a-z]*\) .*/\1/p'; echo --help) | sorted)
[ "$(completions '')" = "$commands" ] || fail "completion of the command: $(completions '')"
for command in list transfer inspect unpack; do
    options=$("$cli" "$command" --help | grep -oE '^  --[a-z-]+' | tr -d ' ' | sorted)
    [ "$(completions "$command" -)" = "$options" ] || fail "completion of $command's options: $(completions "$command" -)"
done
orders=$("$cli" transfer --help | sed -n 's/^  --order \([a-z|]*\) .*/\1/p' | tr '|' '\n' | sorted)
[ "$(completions transfer x --order '')" = "$orders" ] || fail "completion of --order: $(completions transfer x --order '')"
[ "$(completions transfer x --layout = s)" = "sequential " ] || fail "completion of --layout=s"
[ "$(completions list kn5)" = "kn5000 " ] || fail "completion of the backup folder: $(completions list kn5)"
echo "package checks passed"
