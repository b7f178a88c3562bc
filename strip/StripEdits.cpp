#include "strip/StripEdits.h"

#include "document/Errors.h"
#include "document/TimeCode.h"
#include "sync/RebuildLines.h"

namespace velkar::strip {

void SetSubtitleTimes(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end) {
    if (i >= doc.FinishedCount())
        return;
    if (start >= end)
        throw VelkarError("The start of subtitle " + std::to_string(i + 1) +
                          " must come before its end");
    const TimeValue oldStart = doc.TimingTable[0][i];
    const TimeValue oldEnd = doc.TimingTable[1][i];
    doc.TimingTable[0][i] = start;
    doc.TimingTable[1][i] = end;
    try {
        RewriteTimingLine(doc, i);
    } catch (...) {
        doc.TimingTable[0][i] = oldStart;
        doc.TimingTable[1][i] = oldEnd;
        throw;
    }
}

SynchOutcome ApplySyncPoints(SubtitleDocument& doc, const std::vector<SyncPoint>& points,
                             Progress& progress) {
    std::vector<TypedAnchor> anchors;
    for (const SyncPoint& point : points)
        anchors.push_back({point.subtitle, TimeToText(doc.SubtitleFormat, point.value)});
    return FixSynchPiecewise(doc, anchors, progress);
}

} // namespace velkar::strip
