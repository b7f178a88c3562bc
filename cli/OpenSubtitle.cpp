#include "cli/OpenSubtitle.h"

#include "cli/Commands.h"
#include "document/Errors.h"
#include "document/Opening.h"
#include "document/Report.h"

#include <filesystem>
#include <ostream>

namespace velkar::cli {

void OpenSubtitle(SubtitleDocument& doc, const std::string& path, SubtitleTextsWanted texts,
                  std::string* mended) {
    NoProgress progress;
    ReadDocument(doc, path);
    if (doc.SubtitleLines.empty())
        throw VelkarError("The Subtitle file holds no subtitles");
    Recognise(doc, progress);
    if (mended)
        mended->clear();
    if (!HasTimingTable(doc.SubtitleFormat)) {
        const Mending mending = MendLines(doc.SubtitleLines);
        std::string message = doc.SubtitleFormat == sfDamaged
                                  ? DamagedFileMessage(doc)
                                  : "The Subtitle file you selected is not supported by Velkar";
        if (!mending.mended())
            throw VelkarError(message);
        if (!mended)
            throw VelkarError(message + " (velkar-cli mend can mend it)");
        ApplyMending(doc, mending, progress);
        *mended = MendList(mending);
    }
    FinishOpen(doc, progress, nullptr, texts);
}

void PrintMended(std::ostream& out, const std::string& list) {
    if (!list.empty())
        out << "mended:\n" << ForTerminal(list) << '\n';
}

void AddMendFlag(CLI::App& command, bool& mend) {
    command.add_flag("--mend", mend,
                     "Mend the common faults of a file that does not open as it is first, and "
                     "say what was changed (see the mend command)");
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
