// libFuzzer entry point: any bytes as a subtitle file, through mending. Mending never crashes,
// a mended document always opens as its format, every line it keeps is the file's own, and
// mending it again finds nothing.

#include "document/Detection.h"
#include "document/Mending.h"
#include "document/Parsing.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkar;
    const LineStore lines = LineStore::Split({reinterpret_cast<const char*>(data), size});
    const Mending mending = MendLines(lines);
    MendList(mending);
    MendSummary(mending);
    if (!mending.mended())
        return 0;
    SubtitleDocument doc;
    doc.SubtitleLines = mending.lines;
    NoProgress progress;
    if (DetectFormat(doc, progress).format != mending.format)
        std::abort();
    doc.SubtitleFormat = mending.format;
    ParseSubtitles(doc, progress); // throws (and so fails) when the mended lines do not parse
    if (mending.kept.size() != mending.lines.size())
        std::abort();
    for (std::size_t i = 0; i < mending.kept.size(); ++i)
        if (mending.kept[i] != kMendedLine && mending.lines[i] != lines[mending.kept[i]])
            std::abort();
    if (MendLines(mending.lines).mended())
        std::abort();
    return 0;
}
