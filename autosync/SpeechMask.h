#pragma once
// Speech over time, 10 ms at a time: what the fit lays subtitles over. Frame k covers
// [10k, 10k + 10) ms of the movie; a 2-hour film is 720,000 frames (one byte each).

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velkar::autosync {

inline constexpr int kFrameMs = 10;

struct SpeechMask {
    std::vector<std::uint8_t> frames; // 1: speech heard in that frame, 0: none

    std::size_t size() const { return frames.size(); }
    // Length of the sound in milliseconds.
    double lengthMs() const { return static_cast<double>(frames.size()) * kFrameMs; }
};

// A span of time in milliseconds, start inclusive, end exclusive.
struct Interval {
    double start = 0;
    double end = 0;
};

// The mask of `intervals` (ms) over `lengthMs`: a frame is speech when intervals cover at
// least half of it. Intervals beyond the length are cut; empty or reversed ones add nothing.
SpeechMask MaskOfIntervals(const std::vector<Interval>& intervals, double lengthMs);

} // namespace velkar::autosync
