#!/usr/bin/env bash
# Builds Velkar in the folder $1 (default "build") with the further CMake options given, and
# runs every test. Fails when the corpus of real files is missing, and when a test skips that
# tests/allowed_skips.txt does not list with its reason.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
corpus="$(sed -n 's/^VELKAR_CORPUS_DIR:PATH=//p' "$dir/CMakeCache.txt")"
if [ ! -d "$corpus/srt" ]; then
    echo "The corpus of real subtitle files is missing: $corpus (see README, Quick start)" >&2
    exit 1
fi
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
junit="$(cd "$dir" && pwd)/ctest-junit.xml"
rm -f "$junit" "$dir"/tests/playback_gui/*-gtest.xml
status=0
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --output-junit "$junit" || status=$?
# The programs that run under Xvfb are one ctest test each: their own reports name what skipped.
python3 scripts/check_skips.py "$junit" tests/allowed_skips.txt \
    "$dir"/tests/playback_gui/*-gtest.xml || status=1
exit "$status"
