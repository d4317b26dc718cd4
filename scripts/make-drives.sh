#!/bin/sh
# Remakes the bundled drives, data/drives/NAME.nmea from data/drives/NAME.route, with the
# make-drive tool of a build folder (default build/debug), building the tool first.
# The output is deterministic: an unchanged route gives unchanged bytes.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/debug}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build "$build" --target make-drive -j2
for route in data/drives/*.route; do
    drive=${route%.route}.nmea
    "$build/make-drive" "$route" "$drive"
    echo "$drive"
done
