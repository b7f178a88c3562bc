#pragma once
// Subtitles as spans of time for the fit, and fitted times back in the document's unit.
// MicroDVD values are frames: at 25 frames per second frame 250 is 10 000 ms.

#include "autosync/Fit.h"
#include "autosync/SpeechMask.h"
#include "document/SubtitleDocument.h"

#include <cstdint>
#include <vector>

namespace velkar::autosync {

// The frame rate MicroDVD frames are read at when nothing better is known.
inline constexpr double kDefaultFrameRate = 25.0;

// A value of a document of `format` in ms: frames * 1000 / frameRate for MicroDVD, the value
// itself otherwise.
double ValueToMs(SubtitleFormat format, double value, double frameRate);

// The value nearest to `ms` in a document of `format` (frames for MicroDVD). Throws
// TimeEncodeError when it is not a number or beyond what the timing table holds.
TimeValue MsToValue(SubtitleFormat format, double ms, double frameRate);

// The spans of the document's subtitles (start to end of each, in ms), in order.
std::vector<Interval> SubtitleIntervals(const SubtitleDocument& doc, double frameRate);

// The speech of a correctly timed document: its subtitles' spans, up to its last end.
SpeechMask ReferenceSpeech(const SubtitleDocument& doc, double frameRate);

// Starts and ends of every subtitle under `fit`, in the document's unit.
struct MappedTimes {
    std::vector<TimeValue> starts;
    std::vector<TimeValue> ends;
};
MappedTimes MapTimes(const SubtitleDocument& doc, const FitResult& fit, double frameRate);

} // namespace velkar::autosync
