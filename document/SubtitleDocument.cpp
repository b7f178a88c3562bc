#include "document/SubtitleDocument.h"

namespace velkar {

void SubtitleDocument::Reset(const std::string& path) {
    SubtitleFileName = path;
    SubtitleLines.clear();
    ByteOrderMark.clear();
    SubtitleCount = 0;
    TimingTable[0].assign(1, 0);
    TimingTable[1].assign(1, 0);
    SubtitleTexts.assign(1, std::string());
    SubtitleLineIndex.assign(1, 0);
    FirstTimeLine = 0;
    EventTimeFields.assign(1, EventFields{});
    SubtitleFormat = sfUnknown;
    SubtitleLoaded = false;
    ParseFailure.clear();
    SubtitlePending = false;
    PendingText.clear();
}

} // namespace velkar
