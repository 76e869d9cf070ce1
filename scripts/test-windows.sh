#!/usr/bin/env bash
# The Windows build: the core, liedwerk-cli.exe and their tests cross-compiled with
# MinGW-w64 (cmake/mingw-w64-x86_64.cmake) and run under Wine, then end-to-end runs of
# liedwerk-cli.exe on samples whose files must equal those of the Linux liedwerk-cli.
#
# Everything lives in build/windows: GoogleTest built for Windows from Debian's
# googletest sources, the build itself, and a private Wine prefix (build/windows/wineprefix,
# made once per build folder) whose extra drives stand for a card reader and the other
# kinds of drive:
#   a:  removable (a floppy drive: never a card reader)
#   d:  CD-ROM
#   e:  removable, the card reader (on a tmpfs when /dev/shm allows, so that its free
#       space differs from that of c:)
#   f:  network drive
# If Wine cannot run a Windows program here, this step says so and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)
phase_started=
# A heading; the time the previous part took goes at the end of its output.
phase() {
    local now
    now=$(date +%s)
    [ -z "$phase_started" ] || echo "   ($(( now - phase_started )) s)"
    phase_started=$now
    echo "== $*"
}

./scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine64 wine

build=$root/build/windows
jobs=$(nproc)
mkdir -p "$build"

loud() {
    {
        echo
        echo "##########################################################################"
        for line in "$@"; do echo "## $line"; done
        echo "##########################################################################"
        echo
    } >&2
}

wine_failed() {
    loud "WINE CANNOT RUN WINDOWS PROGRAMS ON THIS MACHINE." "$@" \
         "The Windows build's tests did NOT run. This step FAILS."
    exit 1
}

# Debian's wine64 package has its loader in /usr/lib/wine only; the wine package adds
# the wine command (which picks that loader).
wine=$(command -v wine || true)
[ -n "$wine" ] || { [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64; } ||
    wine_failed "No wine command and no /usr/lib/wine/wine64 (packages wine64 and wine)."
wineserver=$(command -v wineserver || true)
if [ -z "$wineserver" ]; then
    for w in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver; do
        if [ -x "$w" ]; then wineserver=$w; break; fi
    done
fi
[ -n "$wineserver" ] || wine_failed "No wineserver found (package wine64)."

export WINEPREFIX=$build/wineprefix
export WINEDEBUG=-all
# Wine turns the command line into the Windows program's wide-character one through
# the locale's character set: UTF-8, as a Linux terminal sends it.
export LC_ALL=C.UTF-8

phase "GoogleTest for Windows (from /usr/src/googletest)"
gtest_build=$build/googletest
gtest_install=$build/googletest-install
if [ ! -f "$gtest_build/CMakeCache.txt" ]; then
    cmake -S /usr/src/googletest -B "$gtest_build" -G Ninja \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_CROSSCOMPILING_EMULATOR= -Dgtest_disable_pthreads=ON \
          -DCMAKE_INSTALL_PREFIX="$gtest_install" >"$build/googletest.log"
fi
cmake --build "$gtest_build" -j "$jobs" >>"$build/googletest.log" ||
    { cat "$build/googletest.log"; exit 1; }
cmake --install "$gtest_build" >>"$build/googletest.log"

phase "Windows build (MinGW-w64)"
# The tests read JSON with nlohmann-json: a header-only library, copied for the cross build.
mkdir -p "$build/json-include"
cp -r /usr/include/nlohmann "$build/json-include/"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DLIEDWERK_BUILD_GUI=OFF -DLIEDWERK_BUILD_BENCH=OFF \
      -DGTest_DIR="$gtest_install/lib/cmake/GTest" -DLIEDWERK_JSON_INCLUDE="$build/json-include" >/dev/null
cmake --build "$build" -j "$jobs"
cli_exe=$build/src/cli/liedwerk-cli.exe

phase "Wine prefix $WINEPREFIX"
drives=$build/wine-drives
card_folder=$drives/e
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    card_folder=/dev/shm/liedwerk-wine-card-$(printf '%s' "$build" | md5sum | cut -c1-12)
fi
mkdir -p "$drives/a" "$drives/d" "$drives/f" "$card_folder"
if [ ! -f "$WINEPREFIX/.liedwerk-ready" ]; then
    rm -rf "$WINEPREFIX"
    t0=$(date +%s)
    "$wine" wineboot --init >"$build/wineboot.log" 2>&1 ||
        { cat "$build/wineboot.log" >&2; wine_failed "wineboot --init failed (output above)."; }
    "$wineserver" -w
    [ -f "$WINEPREFIX/system.reg" ] || wine_failed "wineboot made no prefix in $WINEPREFIX."
    # Extra drives: a folder each, and its kind for Wine's mount manager. The kinds take
    # effect when the Wine server starts again.
    for drive in a:floppy d:cdrom e:floppy f:network; do
        letter=${drive%%:*}
        "$wine" reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d "${drive#*:}" /f >/dev/null 2>&1 ||
            wine_failed "Cannot set the kind of drive $letter: in the prefix's registry."
    done
    "$wineserver" -k || true
    "$wineserver" -w
    touch "$WINEPREFIX/.liedwerk-ready"
    echo "   made in $(( $(date +%s) - t0 )) s"
fi
ln -sfn "$drives/a" "$WINEPREFIX/dosdevices/a:"
ln -sfn "$drives/d" "$WINEPREFIX/dosdevices/d:"
ln -sfn "$card_folder" "$WINEPREFIX/dosdevices/e:"
ln -sfn "$drives/f" "$WINEPREFIX/dosdevices/f:"
find "$card_folder" -mindepth 1 -delete

help=$("$wine" "$cli_exe" --help 2>&1) && [[ $help == *"usage: liedwerk-cli"* ]] ||
    wine_failed "liedwerk-cli.exe --help under Wine did not print its usage:" "$help"

# What the Windows tests know of this prefix (they skip these checks on a real Windows).
export LIEDWERK_WINE_DRIVES="a:=removable;d:=cdrom;e:=removable;f:=remote"
export LIEDWERK_WINE_CARD_DRIVE=e:
export LIEDWERK_WINE_CARD_FOLDER=$card_folder
LIEDWERK_WINE_CARD_FREE=$(df -B1 --output=avail "$card_folder" | tail -n 1 | tr -d ' ')
export LIEDWERK_WINE_CARD_FREE

phase "Windows tests under Wine"
ctest --test-dir "$build" --output-on-failure -j "$jobs"
find "$card_folder" -mindepth 1 -delete

phase "End-to-end: liedwerk-cli.exe under Wine against the Linux liedwerk-cli"
# The Linux program: test.sh's normal build when there is one, else a small build of its own.
linux_build=$root/build/release
if [ ! -f "$linux_build/CMakeCache.txt" ]; then
    linux_build=$build/linux-reference
    cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLIEDWERK_BUILD_GUI=OFF \
          -DLIEDWERK_BUILD_TESTS=OFF -DLIEDWERK_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$linux_build" -j "$jobs" --target liedwerk-cli >/dev/null
linux_cli=$linux_build/src/cli/liedwerk-cli

# A Linux path as the Windows program sees it: Wine's z: is the Linux root.
winpath() { local p; p=$(realpath -m "$1"); printf 'Z:%s' "${p//\//\\}"; }

help=$("$wine" "$cli_exe" transfer --help 2>&1) ||
    { loud "liedwerk-cli.exe transfer --help did not exit 0 under Wine:" "$help" \
           "The end-to-end comparison cannot run. This step FAILS."; exit 1; }
e2e=$build/e2e
rm -rf "$e2e"
mkdir -p "$e2e"
compare_restore() { # name sample options...
    local name=$1 sample=$2
    shift 2
    "$linux_cli" transfer "samples/$sample" --restore-file "$e2e/$name-linux.sdb" "$@" >"$e2e/$name-linux.out"
    "$wine" "$cli_exe" transfer "$(winpath "samples/$sample")" \
        --restore-file "$(winpath "$e2e/$name-windows.sdb")" "$@" >"$e2e/$name-windows.out"
    cmp "$e2e/$name-linux.sdb" "$e2e/$name-windows.sdb" ||
        { loud "The restore file of liedwerk-cli.exe differs from the Linux program's ($name)."; exit 1; }
    # The printed lines too, byte for byte (UTF-8, LF), apart from the one naming the file.
    diff <(grep -v ' written to ' "$e2e/$name-linux.out") <(grep -v ' written to ' "$e2e/$name-windows.out") ||
        { loud "liedwerk-cli.exe printed other lines than the Linux program ($name)."; exit 1; }
    echo "   restore file, $name: $(stat -c %s "$e2e/$name-windows.sdb") bytes, the same from Windows and Linux"
}
# Windows-1252 names from the backup, and new names given on the wide-character command
# line ("€" is 0x80 in Windows-1252; "✓" has no place there and becomes "?").
compare_restore kn5000 kn5000 --rename "00301=Blaue Stunde €" --rename "00101=Häkchen ✓" \
    --unmark 00305 --card-size 32
compare_restore kn6000-alphabetical kn6000 --order alphabetical --card-size 16 --cluster-size 4096

# Card mode onto the root of the removable drive e:\ (no --allow-fixed needed there), against
# the Linux program writing into a folder.
mkdir -p "$e2e/card-linux"
"$linux_cli" transfer samples/kn3000 --card "$e2e/card-linux" --yes --allow-fixed >"$e2e/card-linux.out"
"$wine" "$cli_exe" transfer "$(winpath samples/kn3000)" --card 'e:\' --yes >"$e2e/card-windows.out"
diff -r "$e2e/card-linux" "$card_folder" ||
    { loud "The card that liedwerk-cli.exe wrote to e:\\ differs from the Linux program's (above)."; exit 1; }
echo "   card, kn3000: $(find "$card_folder" -type f | wc -l) files, the same from Windows (e:\) and Linux"
find "$card_folder" -mindepth 1 -delete

phase "Windows build and tests took $(( $(date +%s) - started )) s"
