// SubViewer 2.0: a header up to "[SUBTITLE]" and a style line, then blocks of time line, one
// text line and one empty line. Mended: empty lines between the header and the first time line
// and between blocks, blocks without text, and a file of blocks without the header, which gets
// the standard one.
#include "document/LineTests.h"
#include "document/mend/FormatMending.h"

#include <array>

namespace velkar::mend {

namespace {

// The header a SubViewer 2.0 file starts with, up to the style line.
constexpr std::array<std::string_view, 12> kStandardHeader = {
    "[INFORMATION]",     "[TITLE]",     "[AUTHOR]",
    "[SOURCE]",          "[PRG]",       "[FILEPATH]",
    "[DELAY]0",          "[CD TRACK]0", "[COMMENT]",
    "[END INFORMATION]", "[SUBTITLE]",  "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial"};

bool IsSubViewerTime(std::string_view t) {
    return t.size() == 23 && IsTimeLine(t);
}

// A time line whose start or end is negative: "-00:00:06.84,-00:00:02.85".
bool NegativeTime(std::string_view t) {
    return t.size() > 2 && (t[0] == '-' || t.find(",-") != std::string_view::npos) &&
           t.find(':') != std::string_view::npos && t.find(',') != std::string_view::npos;
}

} // namespace

bool MendSubViewer(const LineStore& lines, MendedLines& out, MendFault& fault) {
    const std::size_t n = lines.size();
    const auto empty = [&](std::size_t i) { return lines[i].empty() || IsBlankLine(lines[i]); };
    const auto time = [&](std::size_t i) {
        return IsSubViewerTime(lines[i].substr(InvisiblePrefix(lines[i])));
    };
    std::size_t tag = n;
    for (std::size_t i = 0; i < n; ++i)
        if (IsSubtitleTag(ShortString(lines[i]))) {
            tag = i;
            break;
        }
    std::size_t first = 0; // the first time line
    if (tag == n) {
        // No header: blocks from the start (after empty lines), which get the standard one.
        while (first < n && empty(first))
            ++first;
        if (first == n || !time(first)) {
            fault = {first < n ? first : 0, "no SubViewer 2.0 header"};
            return false;
        }
        for (std::string_view line : kStandardHeader)
            out.add(std::string(line), 0, MendKind::HeaderWritten);
        for (std::size_t i = 0; i < first; ++i)
            out.drop(i, MendKind::ExtraEmptyLine);
    } else {
        for (std::size_t i = 0; i <= tag; ++i)
            out.keep(i);
        first = tag + 1;
        while (first < n && !time(first))
            ++first;
        if (first == n) {
            fault = {tag, "no time line"};
            return false;
        }
        // One free line (the style) between the tag and the first time line: a missing one is
        // added empty, empty lines beyond the style go.
        if (first == tag + 1)
            out.add({}, first, MendKind::MissingEmptyLine);
        else
            out.keep(tag + 1);
        for (std::size_t i = tag + 2; i < first; ++i) {
            if (!empty(i)) {
                fault = {i, NegativeTime(lines[i])
                                ? "negative time"
                                : "text between the header and the first subtitle"};
                return false;
            }
            out.drop(i, MendKind::ExtraEmptyLine);
        }
    }
    // Blocks: time line, one text line, one empty line.
    std::size_t i = first;
    while (i < n) {
        if (empty(i)) {
            out.drop(i++, MendKind::ExtraEmptyLine);
            continue;
        }
        if (!time(i)) {
            fault = {i, NegativeTime(lines[i]) ? "negative time" : "not a SubViewer 2.0 time line"};
            return false;
        }
        const std::size_t t = i++;
        std::size_t blanksBefore = i;
        while (i < n && empty(i))
            ++i;
        const bool hasText = i < n && !time(i);
        if (!hasText) {
            out.note(MendKind::BlockWithoutText, t);
            for (std::size_t k = t; k < i; ++k)
                out.dropQuietly(k);
            continue;
        }
        const std::size_t text = i++;
        if (i < n && !empty(i) && !time(i)) {
            fault = {i, "a second text line"};
            return false;
        }
        const std::size_t invisible = InvisiblePrefix(lines[t]);
        if (invisible > 0)
            out.rewrite(t, std::string(lines[t].substr(invisible)), MendKind::InvisibleMark);
        else
            out.keep(t);
        for (; blanksBefore < text; ++blanksBefore)
            out.drop(blanksBefore, MendKind::JoinedText);
        out.keep(text);
        // Its empty line: kept, or added before the next time line; more of them go.
        if (i < n && empty(i)) {
            if (IsBlankLine(lines[i]))
                out.rewrite(i, {}, MendKind::BlankLine);
            else
                out.keep(i);
            ++i;
            // Empty lines that end the file stay as they are.
            std::size_t k = i;
            while (k < n && empty(k))
                ++k;
            if (k == n) {
                for (; i < n; ++i)
                    out.keep(i);
            }
        } else if (i < n)
            out.add({}, i, MendKind::MissingEmptyLine);
    }
    return true;
}

} // namespace velkar::mend
