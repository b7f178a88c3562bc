#!/usr/bin/env bash
# Builds the Debian package of Velkar, velkar_VERSION_ARCH.deb, in the build folder (the
# version is the project's, from CMakeLists.txt) and prints its path.
# Usage: package.sh [BUILD_FOLDER]   (default: build; configured here when it is not yet)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
bash scripts/setup.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}"
fi
# Only what the package holds; a build folder that has more keeps it.
cmake --build "$build" -j"$(nproc)" --target velkar velkar-cli velkar_sound velkar_documents
rm -f "$build"/velkar_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/velkar_*.deb
