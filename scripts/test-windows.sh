#!/usr/bin/env bash
# The Windows build: the core, liedwerk-cli.exe, the window liedwerk.exe and their tests
# cross-compiled with MinGW-w64 (cmake/mingw-w64-x86_64.cmake) and run under Wine, end-to-end
# runs of liedwerk-cli.exe and liedwerk.exe on samples whose files must equal those of the
# Linux liedwerk-cli, and the Windows download liedwerk-VERSION-windows-x64.zip.
#
#   scripts/test-windows.sh [--build-qt]
#
# The window needs Qt 6 built for MinGW-w64: LIEDWERK_QT_MINGW names it (a folder, or a
# .tar.xz of one, unpacked once into build/windows/qt), else ~/.cache/liedwerk/qt-6.4.2-mingw64
# is used when it exists; --build-qt builds it there first (scripts/build-qt-mingw.sh, about
# 30 minutes). A prefix without Qt Test gets it added in build/windows/qt. Without any Qt for
# Windows the window's part is skipped, with a notice, and the rest runs.
#
# Everything lives in build/windows: GoogleTest built for Windows from Debian's
# googletest sources, the build itself, the download, screenshots of the window, and a
# private Wine prefix (build/windows/wineprefix, made once per build folder) whose extra
# drives stand for a card reader and the other kinds of drive:
#   a:  removable (a floppy drive: never a card reader)
#   d:  CD-ROM
#   e:  removable, the card reader (on a tmpfs when /dev/shm allows, so that its free
#       space differs from that of c:)
#   f:  network drive
# The window runs from the download unpacked on f:, on an Xvfb display of its own, driven by
# xdotool's key presses; it opens the backup on d: that its command line names.
# If Wine cannot run a Windows program here, this step says so and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_qt=false
for argument in "$@"; do
    case $argument in
    --build-qt) build_qt=true ;;
    *)
        sed -n '2,/^set -euo pipefail/p' "$0" | sed '$d; s/^# \{0,1\}//'
        exit 2
        ;;
    esac
done
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

./scripts/install-deps.sh g++-mingw-w64-x86-64-posix wine64 wine xdotool fonts-dejavu-core

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

phase "Qt for Windows"
# A Qt prefix built for MinGW: LIEDWERK_QT_MINGW (a folder, or a .tar.xz of one), else the
# user's cache folder, which --build-qt fills. A .tar.xz, or a folder without Qt Test, is
# unpacked or copied once into build/windows/qt, and Qt Test is added there.
qt_cache=$HOME/.cache/liedwerk/qt-6.4.2-mingw64
qt_prefix=
is_qt_prefix() { [ -f "$1/lib/cmake/Qt6Core/Qt6CoreConfig.cmake" ] && [ -f "$1/bin/Qt6Core.dll" ]; }
if [ -n "${LIEDWERK_QT_MINGW:-}" ]; then
    qt_given=$(realpath -m "$LIEDWERK_QT_MINGW")
    if [ -d "$qt_given" ]; then
        is_qt_prefix "$qt_given" || { loud "LIEDWERK_QT_MINGW=$qt_given holds no Qt 6 built for Windows."; exit 1; }
        qt_prefix=$qt_given
    elif [ -f "$qt_given" ] && [[ $qt_given == *.tar.xz ]]; then
        qt_prefix=$qt_given # unpacked below
    else
        loud "LIEDWERK_QT_MINGW=$LIEDWERK_QT_MINGW is neither a folder nor a .tar.xz file."
        exit 1
    fi
elif $build_qt || is_qt_prefix "$qt_cache"; then
    is_qt_prefix "$qt_cache" || ./scripts/build-qt-mingw.sh "$qt_cache"
    qt_prefix=$qt_cache
fi
if [ -n "$qt_prefix" ] && { [ -f "$qt_prefix" ] || [ ! -f "$qt_prefix/lib/cmake/Qt6Test/Qt6TestConfig.cmake" ]; }; then
    qt_copy=$build/qt
    origin="$qt_prefix $(stat -c '%s %Y' "$qt_prefix")"
    if [ "$(cat "$qt_copy/.liedwerk-origin" 2>/dev/null)" != "$origin" ]; then
        rm -rf "$qt_copy"
        mkdir -p "$qt_copy/prefix"
        if [ -f "$qt_prefix" ]; then
            echo "   unpacking $qt_prefix"
            tar -xJf "$qt_prefix" -C "$qt_copy/prefix" --strip-components=1
        else
            echo "   copying $qt_prefix"
            cp -a "$qt_prefix/." "$qt_copy/prefix"
        fi
        is_qt_prefix "$qt_copy/prefix" || { loud "$qt_prefix holds no Qt 6 built for Windows."; exit 1; }
        ./scripts/build-qt-mingw.sh --test-only "$qt_copy/prefix"
        echo "$origin" >"$qt_copy/.liedwerk-origin"
    fi
    qt_prefix=$qt_copy/prefix
fi
if [ -n "$qt_prefix" ]; then
    echo "   $qt_prefix"
    host_cmake_dir=$(dirname "$(dirname "$(ls /usr/lib/*/cmake/Qt6CoreTools/Qt6CoreToolsConfig.cmake | head -n 1)")")
    qt_options=(-DLIEDWERK_BUILD_GUI=ON -DCMAKE_PREFIX_PATH="$qt_prefix" -DQT_HOST_PATH=/usr
                -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir")
else
    loud "NO QT FOR WINDOWS: the window's Windows step (liedwerk.exe, its tests under Wine," \
         "the Windows download) is SKIPPED. The core and liedwerk-cli.exe are built and tested." \
         "Give a Qt prefix built for MinGW-w64 in LIEDWERK_QT_MINGW (a folder or a .tar.xz)," \
         "or build one into $qt_cache with: scripts/test-windows.sh --build-qt"
    qt_options=(-DLIEDWERK_BUILD_GUI=OFF -DCMAKE_PREFIX_PATH=)
fi

phase "Windows build (MinGW-w64)"
# Another Qt than last time (or none): its packages are looked up afresh.
if [ -f "$build/CMakeCache.txt" ] &&
    [ "$(sed -n 's/^CMAKE_PREFIX_PATH:[A-Z]*=//p' "$build/CMakeCache.txt")" != "${qt_prefix}" ]; then
    rm "$build/CMakeCache.txt"
fi
# The tests read JSON with nlohmann-json: a header-only library, copied for the cross build.
mkdir -p "$build/json-include"
cp -r /usr/include/nlohmann "$build/json-include/"
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DLIEDWERK_BUILD_BENCH=OFF "${qt_options[@]}" \
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

if [ -z "$qt_prefix" ]; then
    phase "Windows build and tests took $(( $(date +%s) - started )) s"
    loud "The window's Windows step was SKIPPED: no Qt for Windows (see \"Qt for Windows\" above)."
    exit 0
fi

phase "Windows download"
# liedwerk.exe runs with Qt's DLLs and the MinGW runtime DLLs beside it, as Qt's DLLs use
# them; liedwerk-cli.exe carries its runtime inside.
imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
imports "$build/src/ui/liedwerk.exe" | grep -qx 'libstdc++-6.dll' ||
    { loud "liedwerk.exe does not use the C++ runtime's DLL (libstdc++-6.dll) that Qt's DLLs use."; exit 1; }
if imports "$cli_exe" | grep -qi 'libstdc++\|libgcc\|libwinpthread'; then
    loud "liedwerk-cli.exe needs MinGW runtime DLLs; it should carry its runtime inside."
    exit 1
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
package=liedwerk-$version-windows-x64
stage=$build/package/$package
rm -rf "$build/package"
mkdir -p "$stage/platforms" "$stage/styles"
cp "$build/src/ui/liedwerk.exe" "$cli_exe" "$stage/"
cp "$qt_prefix"/bin/Qt6{Core,Gui,Widgets}.dll "$stage/"
cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp -r "$build/src/ui/translations" "$stage/"
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)" "$stage/$dll"
    x86_64-w64-mingw32-strip --strip-unneeded "$stage/$dll" # Debian's carry debug information
done
x86_64-w64-mingw32-strip --strip-unneeded "$stage/liedwerk.exe" "$stage/liedwerk-cli.exe"
cp docs/help/*.html "$stage/"
sed 's/$/\r/' data/windows/README.txt >"$stage/README.txt"
zip=$build/$package.zip
rm -f "$zip"
(cd "$build/package" && cmake -E tar cf "$zip" --format=zip "$package")
echo "   $zip: $(( $(stat -c %s "$zip") / 1024 / 1024 )) MB ($(stat -c %s "$zip") bytes)"

phase "The window under Wine: liedwerk.exe from the download, on Xvfb"
# The download unpacked into a fresh folder on drive f: and started there, as by a
# double-click: Qt's DLLs and plugins must come from beside liedwerk.exe. The backup lies on
# drive d:, a second one at the root of the removable drive e:.
app=$drives/f/Liedwerk
rm -rf "$app" "$drives/d/kn5000"
mkdir -p "$app"
(cd "$app" && cmake -E tar xf "$zip")
app=$app/$package
cp -r samples/kn5000 "$drives/d/kn5000"
cp -r samples/kn2000/. "$card_folder/"
shots=$build/screenshots
rm -rf "$shots"
mkdir -p "$shots"

display=
for n in $(seq 90 199); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=:$n; break; fi
done
[ -n "$display" ] || { loud "No free X display number for Xvfb."; exit 1; }
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
xvfb_pid=$!
app_pid=
stop_x() {
    [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    "$wineserver" -k 2>/dev/null || true
}
trap stop_x EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
# Wine's desktop process takes the display it starts with: a fresh Wine session for the window.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

x() { DISPLAY=$display "$@"; }
shot() { x import -window root "$shots/$1.png"; }
window_failed() {
    shot failure
    loud "The window under Wine: $*" "What the screen showed: $shots/failure.png" \
         "Wine's output: $build/liedwerk-wine.log" "This step FAILS."
    exit 1
}
# Waits until a window with this title shows, and gives it the keyboard.
await() {
    local title=$1 id
    for _ in $(seq 300); do
        for id in $(x xdotool search --name "^$title\$" 2>/dev/null); do
            if x xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
                x xdotool windowfocus "$id" 2>/dev/null || true
                sleep 0.3
                return 0
            fi
        done
        sleep 0.2
    done
    window_failed "no window \"$title\" showed within 60 seconds."
}
keys() { x xdotool key --delay 150 "$@"; }
# Waits until no window with this title shows any more.
gone() {
    local title=$1 id shown
    for _ in $(seq 300); do
        shown=false
        for id in $(x xdotool search --name "^$title\$" 2>/dev/null); do
            x xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && shown=true
        done
        $shown || return 0
        sleep 0.2
    done
    window_failed "the window \"$title\" did not close within 60 seconds."
}
start_window() { # language (1 German, 2 English)
    printf '"%s","",""\r\n' "$1" >"$app/Liedwerk.ini"
    x "$wine" "f:\\Liedwerk\\$package\\liedwerk.exe" 'd:\kn5000' \
        >>"$build/liedwerk-wine.log" 2>&1 &
    app_pid=$!
}
end_window() { # the menu keys of Program > End
    keys "$@"
    for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.2; done
    kill -0 "$app_pid" 2>/dev/null && window_failed "liedwerk.exe did not end by its menu's End."
    app_pid=
}
main_title='Liedwerk KN2000/3000/3500/5000/6000/6500 to KN7000'
: >"$build/liedwerk-wine.log"

# English: load the backup named on the command line, transfer it into the restore file.
start_window 2
await "$main_title"
await Question
keys Return
await Liedwerk # the list order: standard
keys Return
gone Liedwerk
sleep 1
shot english-loaded
await "$main_title"
keys alt+e t # Execute > Transfer execute
await Info
keys Return
await 'Transfer mode'
keys Tab space # the restore file
await SD-Card
keys Down Down Down Down Return # 128 MB
await Info
shot english-transferred
keys Return
gone Info
restore=$app/RestorSDB/Restore.sdb
[ -f "$restore" ] || window_failed "no restore file $restore after the transfer."
"$linux_cli" transfer samples/kn5000 --restore-file "$e2e/window-linux.sdb" --card-size 128 >/dev/null
cmp "$restore" "$e2e/window-linux.sdb" ||
    window_failed "the restore file of liedwerk.exe differs from the Linux liedwerk-cli's (kn5000, 128 MB)."
echo "   restore file of the window: $(stat -c %s "$restore") bytes, the same as the Linux liedwerk-cli's"

# The drive list: open it, then choose e: by its letter, where the second backup waits.
await "$main_title"
eval "$(x xdotool getwindowgeometry --shell "$(x xdotool search --name "^$main_title\$" | head -n 1)")"
# The middle of Drive1, 1492 and 1177 twips into the window's client area, below the menu bar.
x xdotool mousemove $(( X + 98 )) $(( Y + 95 )) click 1
sleep 1
shot english-drive-list
keys e Return
await Question
echo "   the drive list offered e: and its backup was found"
keys Escape
gone Question

# The help viewer, through the menu "Help" (it has no access key); it shows Help.html from
# beside liedwerk.exe, or else a page that names the missing file (english-help.png).
await "$main_title"
x xdotool mousemove $(( X + 147 )) $(( Y + 7 )) click 1
sleep 0.5
keys Down Return
await 'Liedwerk – Help'
shot english-help
keys Escape
gone 'Liedwerk – Help'
end_window alt+p e

find "$card_folder" -mindepth 1 -delete

# German: the backup once more, transferred onto the card in the removable drive e:.
start_window 1
await "$main_title"
await Frage
keys Return
await Liedwerk
keys Return
gone Liedwerk
sleep 1
shot german-loaded
await "$main_title"
keys alt+a t # Ausführen > Transfer ausführen
await Info
keys Return
await Transfermode
keys space # the card reader
await 'SD-Karten-Schreib-/Lesegerät'
keys e # the drive list starts on c:, which it refuses
sleep 1
shot german-card-reader
keys Tab Tab space # OK
await Info
shot german-card-written
keys Return
gone Info
mkdir -p "$e2e/window-card-linux"
"$linux_cli" transfer samples/kn5000 --card "$e2e/window-card-linux" --yes --allow-fixed >/dev/null
diff -r "$e2e/window-card-linux" "$card_folder" ||
    window_failed "the card that liedwerk.exe wrote to e:\\ differs from the Linux liedwerk-cli's (above)."
echo "   card of the window on e:\\: $(find "$card_folder" -type f | wc -l) files, the same as the Linux liedwerk-cli's"
end_window alt+p b
echo "   screenshots: $shots"
find "$card_folder" -mindepth 1 -delete

phase "Windows build and tests took $(( $(date +%s) - started )) s"
