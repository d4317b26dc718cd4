#!/usr/bin/env bash
# Runs the cross-built unit tests of build/device (made by scripts/build-device.sh) under
# qemu-arm -cpu arm926 through CTest.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs=${KELVARO_JOBS:-2}

if [[ ! -f build/device/CTestTestfile.cmake ]]; then
    echo "test-device: no device build; run scripts/build-device.sh first" >&2
    exit 1
fi
# Under qemu, localtime reads the host's zone files: fix the zone for every test.
export TZ=UTC
ctest --preset device -j "$jobs" --no-tests=error
