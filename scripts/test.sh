#!/usr/bin/env bash
# Runs every host test: installs what the build needs, builds the sanitize preset
# (AddressSanitizer and UndefinedBehaviorSanitizer), runs the tests through CTest, and
# checks that our sources are formatted. Exits non-zero if any of it fails.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs=${KELVARO_JOBS:-2}

scripts/install-deps.sh

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs"

export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
failed=0
ctest --preset sanitize -j "$jobs" --no-tests=error || failed=1
# The tests over real receiver logs skip without the shared logs beside the checkout.
if [[ -d ../shared/nmea ]]; then
    echo "test: the receiver-log tests ran over ../shared/nmea"
else
    echo "test: ../shared/nmea is not beside this checkout; the receiver-log tests were skipped"
fi

# The format check runs even when a test failed, so that one run reports both.
unformatted=()
while IFS= read -r -d '' file; do
    if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then
        unformatted+=("$file")
    fi
done < <(find app position display recording navlink platform sim tools tests fuzz bench \
    -type f \( -name '*.cpp' -o -name '*.h' \) -print0 2>/dev/null | sort -z)
if ((${#unformatted[@]} > 0)); then
    echo "test: not formatted with clang-format (run clang-format -i on them):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    failed=1
else
    echo "test: all sources formatted"
fi
exit "$failed"
