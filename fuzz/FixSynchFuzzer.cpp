// libFuzzer entry point: Fix Synch on any document with anchors and typed times drawn from the
// input. A press that fails changes nothing; one that succeeds leaves lines that, read again,
// give the new table (each time as its text in the file's form reads back).

#include "document/Errors.h"
#include "document/Opening.h"
#include "document/TimeCode.h"
#include "sync/FixSynch.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A typed time: near the anchor's own start, or (when it has no text) the input's own bytes.
std::string Typed(velkar::SubtitleFormat f, velkar::TimeValue start, int step, std::uint8_t byte) {
    const velkar::TimeValue value = start + static_cast<std::int8_t>(byte) * step;
    if (velkar::CanEncode(f, value))
        return velkar::TimeToText(f, value);
    return std::string(1, static_cast<char>(byte));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkar;
    if (size < 5)
        return 0;
    SubtitleDocument doc;
    doc.Reset("fuzz");
    doc.SubtitleLines = LineStore::Split({reinterpret_cast<const char*>(data) + 5, size - 5});
    NoProgress progress;
    Recognise(doc, progress);
    if (!HasTimingTable(doc.SubtitleFormat))
        return 0;
    try {
        FinishOpen(doc, progress);
    } catch (const VelkarError&) {
        return 0;
    }
    const std::size_t n = doc.SubtitleCount;
    if (n == 0)
        return 0;
    doc.FirstAnchor = static_cast<std::int32_t>(data[0] % n);
    doc.LastAnchor = static_cast<std::int32_t>(data[1] % n);
    const SubtitleFormat f = doc.SubtitleFormat;
    const std::string first = Typed(f, doc.start(doc.FirstAnchor), 37, data[2]);
    const std::string last = Typed(f, doc.start(doc.LastAnchor), 1013, data[3]);

    const std::vector<std::string> linesBefore = doc.SubtitleLines.strings();
    const auto tableBefore = doc.TimingTable;
    try {
        FixSynch(doc, first, last, data[4] % 7 - 1, progress);
    } catch (const VelkarError&) {
        if (!(doc.SubtitleLines == linesBefore) || doc.TimingTable != tableBefore)
            std::abort(); // a failed press changed the document
        return 0;
    }

    SubtitleDocument again;
    again.Reset("fuzz");
    again.SubtitleLines = doc.SubtitleLines;
    Recognise(again, progress);
    if (again.SubtitleFormat != f)
        std::abort();
    FinishOpen(again, progress);
    if (again.SubtitleCount != n)
        std::abort();
    // A time beyond what the form can write (a SubRip hour above 23, say) is one the press
    // left as the file had it: it reads back as it was. So is a field whose value did not
    // change in a format that rewrites only changed fields (an ASS time in milliseconds).
    const auto readBack = [f](TimeValue value) {
        return CanEncode(f, value) ? TextToTime(f, TimeToText(f, value)) : value;
    };
    for (std::size_t row = 0; row < 2; ++row)
        for (std::size_t i = 0; i < n; ++i)
            if (again.TimingTable[row][i] != readBack(doc.TimingTable[row][i]) &&
                again.TimingTable[row][i] != doc.TimingTable[row][i])
                std::abort();
    return 0;
}
