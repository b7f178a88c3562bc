#include "document/Detection.h"

#include "document/LineTests.h"

namespace velkar {

std::string ErrorText(std::size_t index, std::string_view line) {
    // Shown to the user, who counts lines from 1 as every text editor does.
    std::string text = "(Line:" + std::to_string(index + 1) + ")\n\r";
    text.append(ShortString(line));
    if (text.size() > kShortStringMax)
        text.resize(kShortStringMax);
    return text;
}

namespace {

using Lines = LineStore;

void Record(SubtitleDocument& doc, Detection& result, ErrorRecord which, std::size_t index) {
    doc.ErrorLines[which] = static_cast<std::int32_t>(index);
    doc.ErrorTexts[which] = ErrorText(index, doc.SubtitleLines[index]);
    result.recorded[which] = true;
}

bool CheckMicroDVD(SubtitleDocument& doc, Detection& result, Progress& progress) {
    const Lines& lines = doc.SubtitleLines;
    progress.setMaximum(static_cast<int>(lines.size()));
    bool passed = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        progress.setPosition(static_cast<int>(i));
        if (!IsMicroDVDLine(ShortString(lines[i]))) {
            Record(doc, result, erMicroDVD, i);
            passed = false;
            break;
        }
    }
    progress.setPosition(0);
    return passed;
}

bool IsSubtitleTag(std::string_view t) {
    static constexpr std::string_view tag = "[SUBTITLE]";
    if (t.size() != tag.size())
        return false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char c = t[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (c != tag[i])
            return false;
    }
    return true;
}

bool CheckSubViewer2(SubtitleDocument& doc, Detection& result, Progress& progress) {
    const Lines& lines = doc.SubtitleLines;
    const long long n = static_cast<long long>(lines.size());
    long long tag = -1;
    for (long long i = 0; i < n; ++i) {
        if (IsSubtitleTag(ShortString(lines[i]))) {
            tag = i;
            break;
        }
    }
    if (tag < 0)
        return false;
    const long long first = tag + 2;
    progress.setMaximum(static_cast<int>((n - 1 - first) / 3));
    bool passed = true;
    for (long long k = 0;; ++k) {
        const long long l = first + 3 * k;
        progress.setPosition(static_cast<int>(first + k + 1));
        if (l + 2 >= n - 1)
            break;
        std::size_t failed = 0;
        if (!IsTimeLine(ShortString(lines[l])))
            failed = static_cast<std::size_t>(l);
        else if (!IsNonEmptyLine(lines[l + 1]))
            failed = static_cast<std::size_t>(l + 1);
        else if (!IsEmptyLine(lines[l + 2]))
            failed = static_cast<std::size_t>(l + 2);
        else
            continue;
        Record(doc, result, erSubViewer2, failed);
        passed = false;
        break;
    }
    progress.setPosition(0);
    return passed;
}

bool RestIsEmpty(const Lines& lines, std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (!lines[i].empty())
            return false;
    return true;
}

// Blocks of counter, time line and text lines, each closed by one empty line or by the end of
// the file; empty lines that end the file close it.
bool CheckSubRip(SubtitleDocument& doc, Detection& result, Progress& progress) {
    const Lines& lines = doc.SubtitleLines;
    const std::size_t n = lines.size();
    progress.setMaximum(static_cast<int>(n));
    bool passed = true;
    std::size_t i = 0;
    auto fail = [&](std::size_t line) {
        Record(doc, result, erSubRip, line);
        passed = false;
    };
    while (i < n) {
        progress.setPosition(static_cast<int>(i));
        std::size_t j = 0;
        while (i + j < n && !lines[i + j].empty())
            ++j;
        if (j == 0 && RestIsEmpty(lines, i))
            break;
        if (!IsIntegerLine(ShortString(lines[i]))) {
            fail(i);
            break;
        }
        if (i + 1 == n) { // a counter that ends the file: its time line is missing
            fail(i);
            break;
        }
        if (!IsTimeLine(ShortString(lines[i + 1]))) {
            fail(i + 1);
            break;
        }
        if (j == 2) {
            // A block without a text line: its third line, the empty one, is named (the time
            // line when the block ends the file).
            fail(i + 2 < n ? i + 2 : i + 1);
            break;
        }
        i += j + 1;
    }
    progress.setPosition(0);
    return passed;
}

} // namespace

Detection DetectFormat(SubtitleDocument& doc, Progress& progress) {
    Detection result;
    if (CheckMicroDVD(doc, result, progress))
        result.format = sfMicroDVD;
    else if (CheckSubViewer2(doc, result, progress))
        result.format = sfSubViewer2;
    else if (CheckSubRip(doc, result, progress))
        result.format = sfSubRip;
    else if (doc.ErrorLines[0] > 0 || doc.ErrorLines[1] > 0 || doc.ErrorLines[2] > 0)
        result.format = sfDamaged;
    else
        result.format = sfUnknown;
    return result;
}

} // namespace velkar
