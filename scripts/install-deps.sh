#!/usr/bin/env bash
# Installs the Debian packages that the host build, the tests, fuzzing and the benches
# need; with --device also the cross compiler and qemu for the device build, with --sound
# the audio tools that make the card's alarm sound. Does not touch apt at all when
# everything is installed already.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest libfreetype-dev libpng-dev
    fonts-liberation libbenchmark-dev clang libclang-rt-14-dev clang-format
    gpsbabel libxml2-utils chromium)
# The simulator's window (SDL2), and its test under a virtual X server (Xvfb, xdotool, xwd).
packages+=(libsdl2-dev xvfb xdotool x11-apps)
# The device build also unpacks and builds Debian source packages (dpkg-dev, bzip2, xz-utils,
# make) and checks the binary it made with file.
device_packages=(crossbuild-essential-armel qemu-user dpkg-dev bzip2 xz-utils make file)
sound_packages=(sox vorbis-tools)

for arg in "$@"; do
    case "$arg" in
    --device) packages+=("${device_packages[@]}") ;;
    --sound) packages+=("${sound_packages[@]}") ;;
    *)
        echo "usage: $0 [--device] [--sound]" >&2
        exit 2
        ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [[ "$status" == installed ]] || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

as_root=()
if ((EUID != 0)); then
    as_root=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
