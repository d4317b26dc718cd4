#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer with ASan and UBSan) and runs every fuzz target
# for a short while (FUZZ_SECONDS, default 20), starting from its committed seeds in
# fuzz/corpus/NAME when there are any. Fails on the first target that crashes; the input
# that did it is left in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs=${KELVARO_JOBS:-2}
seconds=${FUZZ_SECONDS:-20}

scripts/install-deps.sh

names=()
for source in fuzz/*.cpp; do
    [[ -e "$source" ]] || continue
    name=${source#fuzz/}
    names+=("${name%.cpp}")
done
if ((${#names[@]} == 0)); then
    echo "fuzz-smoke: no fuzz targets in fuzz/"
    exit 0
fi

cmake --preset fuzz >/dev/null
# The whole default target, not only the fuzz targets: the tools and programs are built
# with clang here too, and its warnings differ from gcc's.
cmake --build --preset fuzz -j "$jobs"

mkdir -p build/fuzz/artifacts
for name in "${names[@]}"; do
    # New inputs go to a corpus of the build's own, so the committed seeds stay as they are.
    work_corpus=build/fuzz/corpus/$name
    mkdir -p "$work_corpus"
    corpora=("$work_corpus")
    if [[ -d "fuzz/corpus/$name" ]]; then
        corpora+=("fuzz/corpus/$name")
    fi
    echo "fuzz-smoke: fuzz_$name for ${seconds} s"
    if ! "build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="build/fuzz/artifacts/$name-" "${corpora[@]}" \
        >"build/fuzz/$name.log" 2>&1; then
        tail -n 60 "build/fuzz/$name.log" >&2
        echo "fuzz-smoke: fuzz_$name failed; its input is in build/fuzz/artifacts" >&2
        exit 1
    fi
    grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "build/fuzz/$name.log" || true
done
echo "fuzz-smoke: ${#names[@]} targets ran ${seconds} s each without a crash"
