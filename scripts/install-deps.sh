#!/usr/bin/env bash
# Installs with apt-get whatever the build, the tests, the window and the Debian package
# (dpkg-dev and file for CPack's dependencies, lintian, desktop-file-utils, man-db) need and
# this machine lacks; jq and dosfstools for the card test on a FAT16 image. Runs as root, or
# through sudo when that is available. fusefat, which mounts that image, is optional: the
# card test falls back to another medium when it cannot be had.
set -euo pipefail

packages=(qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev googletest libbenchmark-dev nlohmann-json3-dev cmake
          ninja-build xvfb clang
          clang-format x11-apps imagemagick
          dpkg-dev file lintian desktop-file-utils man-db
          jq dosfstools)
packages+=("$@")
optional=(fusefat)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
optional_missing=()
for p in "${optional[@]}"; do
    installed "$p" || optional_missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && [ ${#optional_missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}${optional_missing[*]:+ (optional: ${optional_missing[*]})}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        [ ${#missing[@]} -eq 0 ] && { echo "Without root, going on without ${optional_missing[*]}"; exit 0; }
        echo "Need root (or sudo) to install: ${missing[*]}" >&2
        exit 1
    fi
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
[ ${#missing[@]} -eq 0 ] || $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
for p in ${optional_missing[@]+"${optional_missing[@]}"}; do
    $sudo apt-get install -y -q --no-install-recommends "$p" || echo "Going on without $p, which could not be installed"
done
