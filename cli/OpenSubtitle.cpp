#include "cli/OpenSubtitle.h"

#include "document/Errors.h"
#include "document/Opening.h"
#include "document/Report.h"

#include <filesystem>

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

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(b, ec) && fs::equivalent(a, b, ec))
        return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

} // namespace velkar::cli
