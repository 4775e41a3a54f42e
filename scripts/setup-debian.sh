#!/usr/bin/env bash
# Installs what the project needs on a fresh Debian 12 machine. Safe to run
# again: it only calls apt-get when a package is missing.
set -euo pipefail

packages=(
    cmake g++ ninja-build pkg-config clang-format
    qt6-base-dev qt6-declarative-dev qt6-declarative-dev-tools
    qml6-module-qtquick qml6-module-qtquick-controls qml6-module-qtquick-layouts
    qml6-module-qtquick-templates qml6-module-qtquick-window qml6-module-qtqml-workerscript
    qml6-module-qttest qt6-qpa-plugins qml6-module-qtquick-dialogs
    qml6-module-qt-labs-folderlistmodel
    libmosquitto-dev libssl-dev openssl mosquitto mosquitto-clients
    xvfb xauth imagemagick fonts-quicksand libgl1-mesa-dri
    librsvg2-bin dpkg-dev file desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done

if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
