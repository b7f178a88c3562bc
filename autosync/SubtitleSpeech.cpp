#include "autosync/SubtitleSpeech.h"

#include "document/Errors.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velkar::autosync {

double ValueToMs(SubtitleFormat format, double value, double frameRate) {
    return format == sfMicroDVD ? value * 1000.0 / frameRate : value;
}

TimeValue MsToValue(SubtitleFormat format, double ms, double frameRate) {
    const double value = std::nearbyint(format == sfMicroDVD ? ms * frameRate / 1000.0 : ms);
    if (!std::isfinite(value) || value < double(-kMaxTimeValue) || value > double(kMaxTimeValue))
        throw TimeEncodeError();
    return static_cast<TimeValue>(value);
}

std::vector<Interval> SubtitleIntervals(const SubtitleDocument& doc, double frameRate) {
    std::vector<Interval> spans;
    if (!HasTimingTable(doc.SubtitleFormat))
        return spans;
    spans.reserve(doc.FinishedCount());
    for (std::size_t i = 0; i < doc.FinishedCount(); ++i)
        spans.push_back({ValueToMs(doc.SubtitleFormat, doc.start(i), frameRate),
                         ValueToMs(doc.SubtitleFormat, doc.end(i), frameRate)});
    return spans;
}

SpeechMask ReferenceSpeech(const SubtitleDocument& doc, double frameRate) {
    const std::vector<Interval> spans = SubtitleIntervals(doc, frameRate);
    double last = 0;
    for (const Interval& s : spans)
        last = std::max(last, s.end);
    // A clock time reaches one day at most; a frame number beyond it is not speech to lay
    // anything on.
    return MaskOfIntervals(spans, std::min(last, 86400000.0));
}

MappedTimes MapTimes(const SubtitleDocument& doc, const FitResult& fit, double frameRate) {
    MappedTimes times;
    const SubtitleFormat f = doc.SubtitleFormat;
    for (std::size_t i = 0; i < doc.FinishedCount(); ++i) {
        const LinearMap& map = fit.mapOf(i);
        times.starts.push_back(MsToValue(f, map(ValueToMs(f, doc.start(i), frameRate)), frameRate));
        times.ends.push_back(MsToValue(f, map(ValueToMs(f, doc.end(i), frameRate)), frameRate));
    }
    return times;
}

} // namespace velkar::autosync
