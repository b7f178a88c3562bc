#!/usr/bin/env bash
# Builds Velkar in the folder $1 (default "build") with the further CMake options given, and
# runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
