#include "cli/OpenSubtitle.h"

#include "document/Errors.h"
#include "document/Opening.h"
#include "document/Report.h"

namespace velkar::cli {

void OpenSubtitle(SubtitleDocument& doc, const std::string& path, SubtitleTextsWanted texts) {
    NoProgress progress;
    ReadDocument(doc, path);
    if (doc.SubtitleLines.empty())
        throw VelkarError("The Subtitle file holds no subtitles");
    Recognise(doc, progress);
    if (doc.SubtitleFormat == sfDamaged)
        throw VelkarError(DamagedFileMessage(doc));
    if (!HasTimingTable(doc.SubtitleFormat))
        throw VelkarError("The Subtitle file you selected is not supported by Velkar");
    FinishOpen(doc, progress, nullptr, texts);
}

const char* JsonFormatName(SubtitleFormat format) {
    switch (format) {
    case sfMicroDVD:
        return "MicroDVD";
    case sfSubRip:
        return "SubRip";
    case sfSubViewer2:
        return "SubViewer2";
    case sfDamaged:
        return "Damaged";
    default:
        return "Unknown";
    }
}

} // namespace velkar::cli
