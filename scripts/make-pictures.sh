#!/bin/sh
# Remakes the memory card's pictures in data/card/kelvaro/images with the make-pictures tool
# of a build folder (default build/debug), building the tool first. The pictures hold text,
# so they depend on the installed Liberation Sans and FreeType; look at them before
# committing.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/debug}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build "$build" --target make-pictures -j2
"$build/make-pictures" data/card/kelvaro/images
