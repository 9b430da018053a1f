#!/usr/bin/env bash
# Installs the Debian packages the project builds with, when any is missing; given package
# names, those instead (the scripts that need more than the build: Wine, lintian, Xvfb).
set -euo pipefail

packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libhidapi-dev libudev-dev libevdev-dev libsystemd-dev libxcb1-dev libxcb-res0-dev
    nlohmann-json3-dev libcli11-dev
    qt6-base-dev qt6-qpa-plugins qt6-translations-l10n
    fonts-liberation fonts-wqy-microhei
    python3-jsonschema dbus
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
