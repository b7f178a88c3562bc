// libFuzzer entry point: any bytes as a subtitle file, through recognition, parsing, Fix Synch,
// the rewrite of the lines and the overlay search. Failures must be VelkarErrors; nothing may
// read or write outside the document.

#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/Opening.h"
#include "document/Report.h"
#include "document/TimeCode.h"
#include "playback/OverlaySearch.h"
#include "sync/FixSynch.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkar;
    SubtitleDocument doc;
    doc.SubtitleLines = LineStore::Split({reinterpret_cast<const char*>(data), size});
    NoProgress progress;
    Recognise(doc, progress);
    if (doc.SubtitleFormat == sfDamaged)
        DamagedFileQuestion(doc);
    if (!HasTimingTable(doc.SubtitleFormat))
        return 0;
    try {
        FinishOpen(doc, progress);
        SubtitleInformation(doc);
    } catch (const VelkarError&) {
        return 0;
    }
    if (doc.SubtitleCount == 0)
        return 0;
    // Anchors and typed times drawn from the input itself.
    const std::size_t n = doc.SubtitleCount;
    doc.FirstAnchor = static_cast<std::int32_t>((size * 7) % n);
    doc.LastAnchor = static_cast<std::int32_t>((size * 13 + 1) % n);
    for (TimeValue pos : {doc.start(0), doc.end(n - 1), TimeValue{0}, TimeValue{-1}})
        FindCurrentSubtitle(doc, pos);
    try {
        const TimeValue first = doc.start(doc.FirstAnchor);
        const TimeValue last = doc.start(doc.LastAnchor);
        FixSynch(doc, TimeToText(doc.SubtitleFormat, first / 2 + 1),
                 TimeToText(doc.SubtitleFormat, last + 1000), static_cast<int>(size % 6), progress);
    } catch (const VelkarError&) {
    }
    return 0;
}
