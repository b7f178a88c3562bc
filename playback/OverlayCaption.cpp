#include "playback/OverlayCaption.h"

#include "document/TimeCode.h"
#include "playback/OverlaySearch.h"

namespace velkar {

namespace {

void AppendTime(std::string& out, SubtitleFormat format, std::int32_t value) {
    // The label is redrawn a thousand times a second: a time without a clock form must not
    // raise a message each time.
    if (CanEncode(format, value))
        AppendTimeText(out, format, value);
    else
        out += std::to_string(value);
}

} // namespace

std::int32_t OverlayCaption(const SubtitleDocument& doc, std::int32_t position, std::int32_t length,
                            std::string& out) {
    out.clear();
    AppendTime(out, doc.SubtitleFormat, position);
    out += " / ";
    AppendTime(out, doc.SubtitleFormat, length);
    if (!doc.SubtitleLoaded)
        return -1;
    out += "\n\r";
    const CurrentSubtitle current = FindCurrentSubtitle(doc, position);
    out += current.text;
    return current.line;
}

} // namespace velkar
