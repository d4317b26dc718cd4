#!/usr/bin/env bash
# Makes the memory-card package build/device/kelvaro-VERSION-armel.zip: the device build
# (scripts/build-device.sh), then CPack's ZIP of the stripped program, the card content,
# VERSION and INSTALL.txt, to be unpacked onto the card's root. Prints what it holds and
# its size.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/build-device.sh
cmake --build --preset device --target package >/dev/null

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/device/CMakeCache.txt)
package=build/device/kelvaro-$version-armel.zip
if [[ ! -f "$package" ]]; then
    echo "make-package: CPack wrote no $package" >&2
    exit 1
fi
echo "make-package: $package holds:"
cmake -E tar tvf "$package"
echo "make-package: $package: $(stat -c %s "$package") bytes"
