#include "playback/OverlaySearch.h"

#include "document/Format.h"

#include <algorithm>
#include <string_view>

namespace velkar {

std::int64_t Half(std::int64_t x) {
    std::int64_t h = x / 2;
    if (x % 2 != 0 && h % 2 != 0)
        h += x > 0 ? 1 : -1; // x/2 is a tie: go to the even neighbour
    return h;
}

std::size_t FindSubtitleIndex(const SubtitleDocument& doc, TimeValue pos) {
    const std::int64_t n = doc.SubtitleCount;
    const auto& starts = doc.TimingTable[0];
    std::int64_t lo = 0;
    std::int64_t hi = Half(n);
    do {
        if (starts[lo] > pos || starts[hi] < pos) {
            lo = hi;
            hi = std::min(2 * hi, n - 1);
        } else {
            hi = lo + Half(hi - lo);
        }
    } while (hi != lo);
    return static_cast<std::size_t>(lo);
}

CurrentSubtitle FindCurrentSubtitle(const SubtitleDocument& doc, TimeValue pos) {
    CurrentSubtitle current;
    if (doc.SubtitleCount == 0)
        return current;
    const std::size_t k = FindSubtitleIndex(doc, pos);
    if (doc.start(k) > pos || doc.end(k) < pos)
        return current;
    const std::string& text = doc.SubtitleTexts[k];
    if (const FormatEntry* entry = FindFormat(doc.SubtitleFormat))
        entry->appendScreenText(current.text, text);
    if (current.text.size() > kShortStringMax)
        current.text.resize(kShortStringMax);
    if (k < doc.SubtitleLineIndex.size())
        current.line = doc.SubtitleLineIndex[k];
    return current;
}

} // namespace velkar
