#!/usr/bin/env bash
# Makes the card's alarm sound, data/card/kelvaro/speed_alarm.ogg: a high and a low beep,
# twice, synthesised with sox and encoded as Ogg Vorbis with oggenc (installed here through
# install-deps.sh --sound). The file is committed; builds and CI do not run this.
# The same tools give the same bytes on every run: sox adds no dither (-D), the Ogg stream
# gets a fixed serial number instead of a random one, and oggenc writes no tags of its own.
# The sound is made twice and compared, so a tool that stops being repeatable is caught.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

scripts/install-deps.sh --sound

target=data/card/kelvaro/speed_alarm.ogg
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

beep() {
    local name=$1 frequency=$2
    sox -D -n -r 22050 -c 1 -b 16 "$work/$name.wav" \
        synth 0.15 sine "$frequency" fade q 0.005 0.15 0.02 vol 0.7 pad 0 0.05
}

make_sound() {
    local output=$1
    beep high 1319
    beep low 988
    sox -D "$work/high.wav" "$work/low.wav" "$work/high.wav" "$work/low.wav" "$work/alarm.wav"
    oggenc -Q -q 4 --serial 1 -o "$output" "$work/alarm.wav"
}

make_sound "$work/first.ogg"
make_sound "$work/second.ogg"
if ! cmp -s "$work/first.ogg" "$work/second.ogg"; then
    echo "make-alarm-sound: two runs gave different bytes" >&2
    exit 1
fi
mkdir -p "$(dirname "$target")"
cp "$work/first.ogg" "$target"
echo "$target: $(stat -c %s "$target") bytes, $(soxi -D "$target") s"
