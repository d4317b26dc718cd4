#!/usr/bin/env bash
# Builds the whole default target of every host preset that no other script of CI builds
# (debug, release, coverage, bench), so that a preset that stops compiling is seen at once.
# The sanitize, device and fuzz presets are built by test.sh, build-device.sh and
# fuzz-smoke.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs=${KELVARO_JOBS:-2}

scripts/install-deps.sh

for preset in debug release coverage bench; do
    echo "build-presets: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done
