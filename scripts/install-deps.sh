#!/usr/bin/env bash
# Installs with apt-get whatever the build, the tests, the window and the Debian package
# (dpkg-dev and file for CPack's dependencies, lintian, desktop-file-utils, man-db) need and
# this machine lacks. Runs as root, or through sudo when that is available.
set -euo pipefail

packages=(qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev cmake
          ninja-build xvfb clang
          clang-format x11-apps imagemagick
          dpkg-dev file lintian desktop-file-utils man-db)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
