#!/usr/bin/env bash
# Builds the device program build/device/kelvaro (a static armel binary) and the
# cross-built unit tests. zlib, FreeType and libpng are cross-built once from Debian's
# source packages into build/freetype-armel/install (zlib and FreeType) and
# build/png-armel/install (libpng); later runs reuse them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
repo=$PWD
jobs=${KELVARO_JOBS:-2}

scripts/install-deps.sh --device

toolchain=$repo/cmake/armel-toolchain.cmake
freetype_prefix=$repo/build/freetype-armel/install
png_prefix=$repo/build/png-armel/install
sources=$repo/build/armel-sources
source_list=/etc/apt/sources.list.d/kelvaro-deb-src.sources
# The CPU flags of cmake/armel-toolchain.cmake, for the one library built without CMake.
armel_flags="-march=armv5te -mtune=arm926ej-s -mfloat-abi=soft -marm"

as_root=()
if ((EUID != 0)); then
    as_root=(sudo)
fi

remove_source_list() {
    if [[ -e "$source_list" ]]; then
        "${as_root[@]}" rm -f "$source_list"
    fi
}
trap remove_source_list EXIT

# Unpacks Debian's source packages (with Debian's patches applied) into $sources, through a
# deb-src twin of the machine's own entries that exists only while we fetch.
fetch_sources() {
    [[ -f /etc/apt/sources.list.d/debian.sources ]] || {
        echo "build-device: /etc/apt/sources.list.d/debian.sources is missing" >&2
        return 1
    }
    sed -E 's/^Types:.*/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        "${as_root[@]}" tee "$source_list" >/dev/null
    "${as_root[@]}" apt-get update -qq
    local codename package
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    mkdir -p "$sources"
    for package in "$@"; do
        # The security archive here may list a newer source than it serves; the release's
        # own version (which carries the fixes of the point releases) is the fallback.
        if ! (cd "$sources" && apt-get source -qq -o APT::Sandbox::User=root "$package" \
            >"$sources/fetch.log" 2>&1); then
            echo "build-device: newest $package source not served; taking $codename's"
            (cd "$sources" && apt-get source -qq -o APT::Sandbox::User=root "$package/$codename" \
                >"$sources/fetch.log" 2>&1) || {
                cat "$sources/fetch.log" >&2
                return 1
            }
        fi
    done
    remove_source_list
}

cross_build() {
    local source_dir=$1 build_dir=$2 prefix=$3
    shift 3
    rm -rf "$build_dir"
    cmake -S "$source_dir" -B "$build_dir" -G Ninja -Wno-dev \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$freetype_prefix;$png_prefix" \
        "$@" >/dev/null
    cmake --build "$build_dir" -j "$jobs" >/dev/null
    cmake --install "$build_dir" >/dev/null
}

# A prefix counts as built only once its stamp is written, so an interrupted build is
# redone rather than half used. FreeType is built on zlib, as Debian builds it: its own
# bundled copy would clash with libpng's zlib in a static link.
if [[ ! -f "$freetype_prefix/.complete" || ! -f "$png_prefix/.complete" ]]; then
    rm -rf "$sources" "$freetype_prefix" "$png_prefix"
    fetch_sources zlib freetype libpng1.6
    # Debian's zlib source lacks the files its CMake build wants; its own configure script
    # builds the static library alone.
    (cd "$(echo "$sources"/zlib-*/)" &&
        CHOST=arm-linux-gnueabi CFLAGS="-O2 $armel_flags" ./configure --static \
            --prefix="$freetype_prefix" >/dev/null &&
        make -j "$jobs" install >/dev/null)
    cross_build "$(echo "$sources"/freetype-2.12.1*/)" "$sources/build-freetype" \
        "$freetype_prefix" -DBUILD_SHARED_LIBS=OFF -DFT_REQUIRE_ZLIB=ON -DFT_DISABLE_BZIP2=ON \
        -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
    touch "$freetype_prefix/.complete"
    cross_build "$(echo "$sources"/libpng1.6-*/)" "$sources/build-libpng" "$png_prefix" \
        -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DPNG_HARDWARE_OPTIMIZATIONS=OFF
    touch "$png_prefix/.complete"
    rm -rf "$sources"
fi

cmake --preset device >/dev/null
cmake --build --preset device -j "$jobs"

binary=build/device/kelvaro
description=$(file -b "$binary")
echo "build-device: $binary: $description"
if [[ "$description" != *"ARM, EABI5"* || "$description" != *"statically linked"* ]]; then
    echo "build-device: $binary is not a static ARM EABI5 program" >&2
    exit 1
fi
# A real start-up on the device's CPU class: an illegal instruction or a crash ends in a
# signal. Without the device's files it gives up or waits for the feed, either is fine. The
# device root is empty, so it is not run where a memory card is mounted.
if [[ -e /mnt/sdcard ]]; then
    echo "build-device: /mnt/sdcard exists here; not starting kelvaro under qemu"
    exit 0
fi
status=0
(cd build/device && timeout 5 qemu-arm -cpu arm926 ./kelvaro >/dev/null 2>&1) || status=$?
if ((status >= 128 && status != 124)); then
    echo "build-device: kelvaro died by a signal under qemu-arm -cpu arm926 (status $status)" >&2
    exit 1
fi
if ((status == 124)); then
    echo "build-device: kelvaro runs under qemu-arm -cpu arm926 (still running after 5 s)"
else
    echo "build-device: kelvaro runs under qemu-arm -cpu arm926 (left with status $status)"
fi
