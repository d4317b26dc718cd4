#!/usr/bin/env bash
# The main job: build the simulator and replay a bundled drive through it, with the tour
# of the screen size (320x240 by default, or 480x272). Everything the run leaves is under
# out/demo (the device's file system in out/demo/root, frames in out/demo/frames, and beside
# them the trip report of the card, out/demo/report.html).
#   scripts/demo.sh [DRIVE] [WxH]
set -euo pipefail
cd "$(dirname "$0")/.."

drive=${1:-data/drives/town.nmea}
size=${2:-320x240}
events=data/tour.events
if [ "$size" != 320x240 ]; then
    events=data/tour-$size.events
fi

scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kelvaro-sim kelvaro-report -j2

rm -rf out/demo
mkdir -p out/demo/frames
args=(--root out/demo/root --screen "$size" --nmea "$drive" --frames out/demo/frames --frame-every 30)
if [ -f "$events" ]; then
    args+=(--events "$events")
fi
status=0
build/release/kelvaro-sim "${args[@]}" || status=$?

report=0
build/release/kelvaro-report -o out/demo/report.html out/demo/root/mnt/sdcard || report=$?

echo
echo "Replayed $drive; the program left with status $status."
echo "The device's file system after the run (out/demo/root):"
(cd out/demo/root && find . -type f ! -path './dev/*' ! -name '*.ttf' ! -name '*.lng' | sort | sed 's/^\.\//  /')
frames=$(find out/demo/frames -name '*.png' | wc -l)
echo "Frames: $frames PNG files in out/demo/frames"
(cd out/demo/frames && find . -name '*.png' | sort | sed 's/^\.\//  /')
if ((report == 0)); then
    echo "Trip report (open it in a browser): out/demo/report.html"
else
    echo "The trip report could not be made (status $report)." >&2
fi
((status != 0)) && exit "$status"
exit "$report"
