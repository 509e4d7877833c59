#!/usr/bin/env bash
# Installs every Debian package Meridia builds, runs or tests with. Idempotent: quiet when
# everything is already there.
set -euo pipefail

packages=(
    build-essential cmake pkg-config clang-format clang-tidy python3
    clang-14 libclang-rt-14-dev
    libswe-dev swe-basic-data swe-standard-data
    qt6-base-dev qt6-svg-dev
    libgeonames-dev
    libfmt-dev nlohmann-json3-dev libcli11-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core fonts-noto-core zlib1g-dev
    xvfb xauth
    locales
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# A locale with a decimal comma, for the tests that check that numbers in files and settings
# do not depend on the process locale.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    sudo_cmd=()
    if [[ $(id -u) -ne 0 ]]; then
        sudo_cmd=(sudo)
    fi
    "${sudo_cmd[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
