#!/usr/bin/env bash
# Checks the memory-card package that scripts/make-package.sh made (or the ZIP given as
# the argument): the host test program test_packaging, built with the sanitize preset,
# unpacks it into an empty folder, looks for every file the program opens on the card and
# runs the simulator on that content against a run on the simulator's own card.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs=${KELVARO_JOBS:-2}

package=${1:-}
if [[ -z "$package" ]]; then
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/device/CMakeCache.txt 2>/dev/null || true)
    package=build/device/kelvaro-$version-armel.zip
fi
if [[ ! -f "$package" ]]; then
    echo "test-package: no package $package; run scripts/make-package.sh first" >&2
    exit 1
fi

scripts/install-deps.sh
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs" --target test_packaging
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
KELVARO_PACKAGE=$(realpath "$package") TZ=UTC build/sanitize/test_packaging
