#include "document/Mending.h"

#include "document/Detection.h"
#include "document/Errors.h"
#include "document/Format.h"
#include "document/Parsing.h"

namespace velkar {

namespace {

// Whether `lines` open as `format`: recognised as it and parsed without a failure.
bool OpensAs(const LineStore& lines, SubtitleFormat format) {
    SubtitleDocument doc;
    doc.SubtitleLines = lines;
    NoProgress progress;
    if (DetectFormat(doc, progress).format != format)
        return false;
    doc.SubtitleFormat = format;
    try {
        ParseSubtitles(doc, progress, nullptr, SubtitleTextsWanted::No);
    } catch (const VelkarError&) {
        return false;
    }
    return true;
}

struct Phrase {
    const char* one;
    const char* many;
    const char* shortOne;
    const char* shortMany;
};

Phrase PhraseOf(MendKind kind) {
    switch (kind) {
    case MendKind::InvisibleMark:
        return {"invisible characters removed before 1 line",
                "invisible characters removed before %n lines", "1 invisible mark",
                "%n invisible marks"};
    case MendKind::BlankLine:
        return {"1 line of blanks emptied", "%n lines of blanks emptied", "1 line of blanks",
                "%n lines of blanks"};
    case MendKind::ForeignLine:
        return {"1 line before the first subtitle removed",
                "%n lines before the first subtitle removed", "1 line before the subtitles",
                "%n lines before the subtitles"};
    case MendKind::ExtraEmptyLine:
        return {"1 extra empty line removed", "%n extra empty lines removed", "1 empty line",
                "%n empty lines"};
    case MendKind::MissingEmptyLine:
        return {"1 missing empty line added", "%n missing empty lines added",
                "1 missing empty line", "%n missing empty lines"};
    case MendKind::JoinedText:
        return {"1 empty line inside a subtitle's text removed",
                "%n empty lines inside subtitles' texts removed", "1 split text", "%n split texts"};
    case MendKind::BlockWithoutText:
        return {"1 subtitle without text removed", "%n subtitles without text removed",
                "1 subtitle without text", "%n subtitles without text"};
    case MendKind::BlockWithoutTime:
        return {"1 subtitle without a time line removed",
                "%n subtitles without a time line removed", "1 subtitle without time",
                "%n subtitles without time"};
    case MendKind::MissingCounter:
        return {"1 missing counter written", "%n missing counters written", "1 missing counter",
                "%n missing counters"};
    case MendKind::GarbledCounter:
        return {"1 garbled counter rewritten", "%n garbled counters rewritten", "1 garbled counter",
                "%n garbled counters"};
    case MendKind::TimeLine:
        return {"1 time line written in the standard form",
                "%n time lines written in the standard form", "1 time line", "%n time lines"};
    case MendKind::UnreadableCue:
        return {"1 cue whose timing line does not read removed",
                "%n cues whose timing lines do not read removed", "1 unreadable cue",
                "%n unreadable cues"};
    case MendKind::HeaderWritten:
        return {"the SubViewer 2.0 header written", "the SubViewer 2.0 header written", "header",
                "header"};
    }
    return {"", "", "", ""};
}

std::string Fill(const char* pattern, std::size_t count) {
    std::string text = pattern;
    if (const auto at = text.find("%n"); at != std::string::npos)
        text.replace(at, 2, std::to_string(count));
    return text;
}

} // namespace

Mending MendLines(const LineStore& lines) {
    Mending result;
    {
        SubtitleDocument doc;
        doc.SubtitleLines = lines;
        NoProgress progress;
        if (HasTimingTable(DetectFormat(doc, progress).format))
            return result; // it opens as it is
    }
    bool faulted = false;
    for (const FormatEntry* entry : RecognitionOrder()) {
        if (entry->mend == nullptr)
            continue;
        mend::MendedLines out(lines);
        mend::MendFault fault;
        if (!entry->mend(lines, out, fault)) {
            if (fault.what.empty())
                continue; // nothing of this format in the file
            // The fault found furthest into the file is the one the file most likely has (on a
            // tie, the last format tried, SubRip, which takes the most).
            if (!faulted || fault.line >= result.faultLine) {
                faulted = true;
                result.faultLine = fault.line;
                result.fault = fault.what;
            }
            continue;
        }
        LineStore mended = out.result();
        if (!out.changed() || !OpensAs(mended, entry->code))
            continue;
        result.format = entry->code;
        result.lines = std::move(mended);
        result.entries = out.entries();
        result.kept = out.kept();
        result.fault.clear();
        result.faultLine = 0;
        return result;
    }
    if (!faulted) {
        result.faultLine = 0;
        result.fault = "not a subtitle file";
    }
    result.fault = "(Line:" + std::to_string(result.faultLine + 1) + ") " + result.fault;
    return result;
}

std::string MendList(const Mending& mending) {
    std::string list;
    for (const MendEntry& entry : mending.entries) {
        const Phrase phrase = PhraseOf(entry.kind);
        if (!list.empty())
            list += "\n\r";
        list += Fill(entry.count == 1 ? phrase.one : phrase.many, entry.count);
        list += " (first at line " + std::to_string(entry.firstLine + 1) + ")";
    }
    return list;
}

std::string MendSummary(const Mending& mending) {
    std::string summary = "Mended:";
    bool first = true;
    for (const MendEntry& entry : mending.entries) {
        const Phrase phrase = PhraseOf(entry.kind);
        summary += first ? " " : ", ";
        first = false;
        summary += Fill(entry.count == 1 ? phrase.shortOne : phrase.shortMany, entry.count);
    }
    return summary;
}

} // namespace velkar
