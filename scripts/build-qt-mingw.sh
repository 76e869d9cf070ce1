#!/usr/bin/env bash
# Builds Qt 6 for 64-bit Windows with MinGW-w64 on Debian 12, for the window's Windows build:
# Debian's own qtbase 6.4.2 source (`apt-get source qt6-base`, with Debian's patches), shared
# libraries, release; the modules Core, Gui, Widgets and Test, the platform plugins windows,
# offscreen and minimal, the windowsvista style; against the host's Qt tools of the same
# version (moc, rcc, uic from qt6-base-dev-tools). The MinGW runtime DLLs that Qt's DLLs use
# (libstdc++-6, libgcc_s_seh-1, libwinpthread-1) are put into PREFIX/bin.
#
#   scripts/build-qt-mingw.sh PREFIX              the whole prefix (about 30 minutes on two cores)
#   scripts/build-qt-mingw.sh --test-only PREFIX  only Qt Test, added to a prefix built without it
#                                                 (about 2 minutes)
#
# The downloaded source is kept in WORKDIR (default ~/.cache/liedwerk/qt-mingw-build), with the
# build tree and the logs. JOBS sets the parallel compile jobs (default: the number of CPUs).
#
# What is special here:
#  * FEATURE_direct2d stays ON: in Qt 6.4 it also switches QtGui's DirectWrite font code, which
#    the windows platform plugin needs to link. Only the Direct2D platform plugin is left out
#    (FEATURE_direct2d1_1=OFF).
#  * Debian's "+dfsg" source lacks src/3rdparty/wintab (its licence forbids changes), which the
#    windows platform plugin includes for tablet input. Wine's LGPL wintab.h and pktdef.h from
#    Debian's libwine-dev (downloaded, not installed) take its place; failing that, tablet input
#    is switched off.
#  * Debian's cross.patch is left out: it only switches on androiddeployqt for cross builds.
#  * Build paths are kept out of the binaries (-ffile-prefix-map), so that the prefix neither
#    depends on nor shows where it was built.
#  * Qt's bundled zlib, libpng, FreeType, HarfBuzz, PCRE2 are used: MinGW has no system ones.
#  * Qt Test alone is built as a small Qt repository of its own (src/testlib of the same
#    source) against the installed prefix, through Qt's build internals.
set -euo pipefail

QT_VERSION=6.4.2
TRIPLE=x86_64-w64-mingw32

die() {
    echo "build-qt-mingw.sh: $*" >&2
    exit 1
}
note() { echo "==> $*"; }

test_only=false
if [ "${1:-}" = --test-only ]; then
    test_only=true
    shift
fi
[ $# -eq 1 ] || { sed -n '2,/^set -euo pipefail/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2; }

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(realpath -m "$1")
workdir=$(realpath -m "${WORKDIR:-$HOME/.cache/liedwerk/qt-mingw-build}")
jobs=${JOBS:-$(nproc)}
download=$workdir/download
logs=$workdir/logs
mkdir -p "$download" "$logs"

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

"$root/scripts/install-deps.sh" g++-mingw-w64-x86-64-posix qt6-base-dev-tools xz-utils patch

host_cmake_dir=
for f in /usr/lib/*/cmake/Qt6CoreTools/Qt6CoreToolsConfig.cmake; do
    [ -f "$f" ] && host_cmake_dir=$(dirname "$(dirname "$f")") && break
done
[ -n "$host_cmake_dir" ] || die "the host's Qt 6 tools are missing (qt6-base-dev-tools)"
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools | sed 's/[+~-].*//')
[ "$host_version" = "$QT_VERSION" ] || die "the host's Qt is $host_version; the build needs $QT_VERSION"

# ---- Source: Debian's qt6-base, fetched once ----
fetch_source() {
    orig=$(ls "$download"/qt6-base_"$QT_VERSION"*.orig.tar.* 2>/dev/null | head -n 1 || true)
    [ -n "$orig" ] && return
    if ! apt-get source --print-uris qt6-base >/dev/null 2>&1; then
        # Source entries that mirror the machine's own package entries (same mirrors, suites
        # and keys), in a file of their own.
        note "Enabling Debian's source packages for apt-get source"
        if [ -f /etc/apt/sources.list.d/debian.sources ]; then
            sed 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
                as_root tee /etc/apt/sources.list.d/liedwerk-deb-src.sources >/dev/null
        else
            grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
                as_root tee /etc/apt/sources.list.d/liedwerk-deb-src.list >/dev/null
        fi
        as_root apt-get update -q >"$logs/apt-update.log" 2>&1 || { cat "$logs/apt-update.log"; die "apt-get update failed"; }
    fi
    note "Fetching the source of qt6-base with apt-get source"
    (cd "$download" && apt-get source --download-only qt6-base) >"$logs/apt-source.log" 2>&1 ||
        { cat "$logs/apt-source.log"; die "apt-get source qt6-base failed"; }
    orig=$(ls "$download"/qt6-base_"$QT_VERSION"*.orig.tar.* 2>/dev/null | head -n 1 || true)
    [ -n "$orig" ] || die "apt-get source brought no qt6-base $QT_VERSION (see $logs/apt-source.log)"
}
fetch_source
debian_tar=$(ls "$download"/qt6-base_"$QT_VERSION"*.debian.tar.* 2>/dev/null | sort -V | tail -n 1 || true)
src_root=$workdir/src
src=$src_root/qtbase-everywhere-src-$QT_VERSION

# ---- Qt Test alone, added to an existing prefix ----
if $test_only; then
    [ -f "$prefix/lib/cmake/Qt6Core/Qt6CoreConfig.cmake" ] || die "$prefix holds no Qt 6"
    if [ -f "$prefix/lib/cmake/Qt6Test/Qt6TestConfig.cmake" ]; then
        note "$prefix already has Qt Test"
        exit 0
    fi
    note "Building Qt Test for $prefix (log: $logs/testlib.log)"
    started=$(date +%s)
    repo=$workdir/testlib
    rm -rf "$repo" "$workdir/testlib-build"
    mkdir -p "$repo"
    # Debian's patches do not touch src/testlib; the repository needs Qt's version file and
    # header map beside it.
    tar -xf "$orig" -C "$repo" --strip-components=1 "qtbase-everywhere-src-$QT_VERSION/.cmake.conf" \
        "qtbase-everywhere-src-$QT_VERSION/sync.profile" "qtbase-everywhere-src-$QT_VERSION/src/testlib"
    cat >"$repo/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.16)
include(.cmake.conf)
project(QtTestLib VERSION "${QT_REPO_MODULE_VERSION}" LANGUAGES CXX C)
find_package(Qt6 ${PROJECT_VERSION} CONFIG REQUIRED COMPONENTS BuildInternals Core Gui Widgets)
qt_build_repo_begin()
qt_feature_evaluate_features("${CMAKE_CURRENT_SOURCE_DIR}/src/testlib/configure.cmake")
add_subdirectory(src/testlib)
qt_build_repo_end()
EOF
    {
        cmake -S "$repo" -B "$workdir/testlib-build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_CROSSCOMPILING_EMULATOR= \
            -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir" \
            -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$workdir=." &&
            cmake --build "$workdir/testlib-build" -j "$jobs" &&
            cmake --install "$workdir/testlib-build" --strip
    } >"$logs/testlib.log" 2>&1 || { tail -n 40 "$logs/testlib.log"; die "building Qt Test failed"; }
    [ -f "$prefix/bin/Qt6Test.dll" ] || die "Qt Test was built but not installed into $prefix/bin"
    note "Qt Test added in $(( $(date +%s) - started )) s"
    exit 0
fi

# ---- The whole prefix ----
note "Unpacking $(basename "$orig")"
rm -rf "$src_root"
mkdir -p "$src_root"
tar -xf "$orig" -C "$src_root"
[ -f "$src/CMakeLists.txt" ] || die "unexpected layout of $orig"
if [ -n "$debian_tar" ]; then
    note "Applying Debian's patches from $(basename "$debian_tar")"
    tar -xf "$debian_tar" -C "$src_root"
    while read -r patch_name options; do
        case "$patch_name" in '' | '#'*) continue ;; esac
        [ "$patch_name" = cross.patch ] && continue
        # shellcheck disable=SC2086
        patch -d "$src" -p1 --forward --quiet ${options:-} <"$src_root/debian/patches/$patch_name" ||
            die "Debian's patch $patch_name does not apply"
    done <"$src_root/debian/patches/series"
fi

no_tablet=()
wintab=$src/src/3rdparty/wintab
if [ ! -f "$wintab/wintab.h" ]; then
    note "Wine's wintab.h and pktdef.h from libwine-dev take the place of the missing wintab headers"
    rm -rf "$download/libwine-dev"
    mkdir -p "$download/libwine-dev"
    if (cd "$download/libwine-dev" && apt-get download libwine-dev) >"$logs/libwine-dev.log" 2>&1 &&
        dpkg-deb -x "$download"/libwine-dev/libwine-dev_*.deb "$download/libwine-dev/x"; then
        headers=$(dirname "$(find "$download/libwine-dev/x" -name wintab.h | head -n 1)")
        [ -f "$headers/wintab.h" ] && [ -f "$headers/pktdef.h" ] || die "libwine-dev has no wintab.h and pktdef.h"
        mkdir -p "$wintab"
        {
            echo "/* Wine's wintab.h (LGPL 2.1 or later, from Debian's libwine-dev) in place of the Wacom"
            echo " * header that Debian's qtbase source leaves out. Wine's A/W helper macros are mapped to"
            echo " * MinGW-w64's, and API is the calling convention, as in the original header. */"
            echo "#include <windows.h>"
            echo "#ifndef WINELIB_NAME_AW"
            echo "#  define WINELIB_NAME_AW __MINGW_NAME_AW"
            echo "#endif"
            echo "#ifndef DECL_WINELIB_TYPE_AW"
            echo "#  define DECL_WINELIB_TYPE_AW __MINGW_TYPEDEF_AW"
            echo "#endif"
            echo "#ifndef API"
            echo "#  define API WINAPI"
            echo "#endif"
            cat "$headers/wintab.h"
        } >"$wintab/wintab.h"
        cp "$headers/pktdef.h" "$wintab/pktdef.h"
    else
        echo "build-qt-mingw.sh: no libwine-dev to be had; building without tablet input" >&2
        no_tablet=(-DFEATURE_tabletevent=OFF)
    fi
fi

# Qt's qt.toolchain.cmake refers to the toolchain file it was built with by its absolute path,
# so that file goes into the prefix.
toolchain=$prefix/lib/cmake/toolchain-$TRIPLE-posix.cmake
mkdir -p "$(dirname "$toolchain")"
cat >"$toolchain" <<EOF
# 64-bit Windows with Debian's MinGW-w64 GCC, POSIX thread model (g++-mingw-w64-x86-64-posix).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $TRIPLE-gcc-posix)
set(CMAKE_CXX_COMPILER $TRIPLE-g++-posix)
set(CMAKE_RC_COMPILER $TRIPLE-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$TRIPLE)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
if(NOT DEFINED CMAKE_FIND_ROOT_PATH_MODE_PACKAGE)
    set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
endif()
EOF

build=$workdir/build
note "Configuring (log: $logs/configure.log)"
rm -rf "$build"
started=$(date +%s)
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake_dir" -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF -DQT_BUILD_MANUAL_TESTS=OFF \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_xml=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_testlib=ON \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF \
    -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF \
    -DFEATURE_androiddeployqt=OFF -DFEATURE_windeployqt=OFF \
    -DFEATURE_pkg_config=OFF -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_textmarkdownreader=OFF \
    -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON -DFEATURE_png=ON \
    -DCMAKE_C_FLAGS="-ffile-prefix-map=$workdir=." -DCMAKE_CXX_FLAGS="-ffile-prefix-map=$workdir=." \
    "${no_tablet[@]}" >"$logs/configure.log" 2>&1 || { tail -n 40 "$logs/configure.log"; die "configure failed"; }

note "Building with $jobs jobs (log: $logs/build.log)"
ninja -C "$build" -j "$jobs" >"$logs/build.log" 2>&1 || { tail -n 40 "$logs/build.log"; die "the build failed"; }

note "Installing into $prefix"
cmake --install "$build" --strip >"$logs/install.log" 2>&1 || { tail -n 40 "$logs/install.log"; die "install failed"; }
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    file=$($TRIPLE-g++-posix -print-file-name=$dll)
    [ -f "$file" ] || file=/usr/$TRIPLE/lib/$dll
    [ -f "$file" ] || die "the MinGW runtime's $dll is missing"
    install -m 755 "$file" "$prefix/bin/$dll"
    # Debian's libstdc++-6.dll carries its debug information (about 24 MB).
    $TRIPLE-strip --strip-unneeded "$prefix/bin/$dll"
done
note "Done in $(( ($(date +%s) - started) / 60 )) minutes: $(du -sh "$prefix" | cut -f1) in $prefix"
