#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Velkar need.
set -euo pipefail
packages=(
    cmake g++ clang-format            # the build
    libgtest-dev libgmock-dev         # tests
    libbenchmark-dev hyperfine        # benchmarks
    python3-srt ffmpeg                # reference tools the benchmarks compare against
    libcli11-dev nlohmann-json3-dev   # command-line arguments, JSON output
    qt6-base-dev libqt6opengl6-dev    # the windows
    libmpv-dev mpv                    # the built-in player, the external player
    libuchardet-dev                   # guessing a file's 8-bit code page for display
    xvfb xauth libgl1-mesa-dri        # windows and pictures on a machine without a display
    clang libclang-rt-14-dev          # the fuzz targets (libFuzzer; its runtime is only recommended)
    dpkg-dev lintian appstream        # the Debian package and its checks
    libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libwebrtc-audio-processing-dev espeak-ng sox  # sync from sound; test speech
    flite                             # a second speech synthesiser for the detector-lag benchmark
    parallel                          # GNU parallel: the test that runs a library's shards side by side
)
missing=()
for p in "${packages[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
