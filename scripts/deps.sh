#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Corvel need, when missing.
# Uses sudo when not run as root. Safe to run again: it installs only what is absent.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev libfontconfig-dev fonts-dejavu-core
    libgtest-dev libgmock-dev libbenchmark-dev
    clang clang-format libclang-rt-14-dev
    xvfb xdotool xclip imagemagick x11-utils xdg-utils poppler-utils appstream man-db desktop-file-utils
    lintian
)
if [ "${1:-}" = "--runtime" ]; then
    packages=(build-essential cmake ninja-build qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev
              libfontconfig-dev fonts-dejavu-core xdg-utils)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
