# Cross-builds Liedwerk and its tests for 64-bit Windows on Linux with MinGW-w64 (Debian:
# g++-mingw-w64-x86-64-posix, the POSIX thread model that std::thread and std::mutex need).
#
#   cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DLIEDWERK_BUILD_BENCH=OFF -DGTest_DIR=<GoogleTest built with this file> \
#         -DLIEDWERK_BUILD_GUI=OFF                       (the core and liedwerk-cli.exe only), or
#         -DCMAKE_PREFIX_PATH=<Qt 6 built for MinGW> -DQT_HOST_PATH=/usr \
#         -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake     (the window too)
#
# Programs without Qt are linked statically, so that they run without the MinGW runtime DLLs
# (libstdc++, libgcc, winpthread) beside them; programs with Qt use those DLLs, as Qt's own
# DLLs do (liedwerk_defaults in LiedwerkTargets.cmake). When Wine is installed, CTest runs the
# test programs through it, in a Wine prefix of the build folder (build/windows/wineprefix),
# never in the user's own ~/.wine. scripts/test-windows.sh does all of this.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LIEDWERK_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LIEDWERK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LIEDWERK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LIEDWERK_MINGW_TRIPLE}-windres)

# Libraries and headers come from the MinGW sysroot, and packages built for Windows from the
# prefixes in CMAKE_PREFIX_PATH (a Qt built for MinGW); tools from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${LIEDWERK_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -O2 rather than CMake's -O3 for Release: GCC 12 reports false "may be used uninitialized"
# warnings in inlined std::string code at -O3, and -O2 builds faster. (A *_INIT value would
# only be put in front of CMake's own -O3.)
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of Release builds")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of Release builds")

# Test programs (and anything CMake would run while cross-compiling) go through Wine.
# Debian's wine64 package puts only its loader in /usr/lib/wine; the wine package adds
# the `wine` command. WINEDEBUG=-all keeps Wine's own diagnostics out of test output.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(LIEDWERK_WINE NAMES wine wine64 PATHS /usr/lib/wine)
    find_program(LIEDWERK_ENV env)
    if(LIEDWERK_WINE AND LIEDWERK_ENV)
        set(CMAKE_CROSSCOMPILING_EMULATOR
            ${LIEDWERK_ENV} WINEDEBUG=-all WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix ${LIEDWERK_WINE})
    endif()
endif()
