#!/usr/bin/env bash
# Sets everything up, then builds and runs every test twice: as shipped, and under
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs every fuzz target for 20 s.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/test.sh build
bash scripts/test.sh build-asan -DVELKAR_SANITIZE=ON -DVELKAR_BUILD_BENCH=OFF
bash scripts/fuzz.sh 20
