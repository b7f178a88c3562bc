// MicroDVD: "{start}{end}text", values are video frames; "|" breaks a text's lines. A first line
// "{1}{1}23.976" gives the file's frame rate and is not a subtitle.
#include "document/Format.h"
#include "document/IntegerConversion.h"
#include "document/LineTests.h"
#include "document/TableBuilder.h"
#include "document/TimeCode.h"
#include "document/formats/ClockText.h"
#include "document/formats/FormatParts.h"
#include "document/formats/ScreenText.h"
#include "document/mend/FormatMending.h"

#include <algorithm>
#include <limits>

namespace velkar {

namespace {

Recognition Recognise(const LineStore& lines, Progress& progress) {
    progress.setMaximum(static_cast<int>(lines.size()));
    Recognition result{true, false, 0};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        progress.setPosition(static_cast<int>(i));
        if (!IsMicroDVDLine(ShortString(lines[i]))) {
            result = {false, true, i};
            break;
        }
    }
    progress.setPosition(0);
    return result;
}

// The integer in `s` from its character 2 up to the character before its first "}".
std::int32_t BraceField(std::string_view s) {
    auto close = s.find('}');
    std::size_t count = close == std::string_view::npos || close < 1 ? 0 : close - 1;
    return StrToInt(Copy(s, 2, count));
}

// "{n}{m}" and nothing else, n and m integers.
bool IsBareFrames(std::string_view line) {
    const std::size_t close = line.find('}');
    return line.size() >= 6 && line.front() == '{' && line.back() == '}' &&
           close != std::string_view::npos && close + 1 < line.size() && line[close + 1] == '{' &&
           TryStrToInt(line.substr(1, close - 1)) &&
           TryStrToInt(line.substr(close + 2, line.size() - close - 3));
}

// A MicroDVD line of 6 characters or fewer is skipped (an empty line), unless it is "{n}{m}".
void Parse(SubtitleDocument& doc, TableBuilder& table, Progress&) {
    const auto& lines = doc.SubtitleLines;
    // A first line that gives the frame rate is the file's, not a subtitle: it stays as it is.
    const std::size_t first = !lines.empty() && !FrameRateOf(lines[0]).empty() ? 1 : 0;
    for (std::size_t i = first; i < lines.size(); ++i) {
        if (lines[i].size() <= 6 && !IsBareFrames(lines[i]))
            continue; // empty and short lines, but not "{1}{2}", a subtitle without text
        std::string_view s = ShortString(lines[i]);
        std::size_t column = table.add();
        doc.TimingTable[0][column] = BraceField(s);
        s.remove_prefix(s.find('}') + 1);
        doc.TimingTable[1][column] = BraceField(s);
        if (table.texts())
            doc.SubtitleTexts[column].assign(s.substr(s.find('}') + 1));
        doc.SubtitleLineIndex[column] = static_cast<std::int32_t>(i);
        table.finish(column);
    }
}

// The two brace fields of a MicroDVD line: up to and including its second "}".
std::size_t FieldsLength(std::string_view line) {
    std::size_t first = line.find('}');
    std::size_t second = first == std::string_view::npos ? first : line.find('}', first + 1);
    return second == std::string_view::npos ? 0 : second + 1;
}

char* Pair(char* out, TimeValue start, std::string_view separator, TimeValue end) {
    out = FormatFrames(out, start);
    out = std::copy(separator.begin(), separator.end(), out);
    return FormatFrames(out, end);
}

void WriteTimes(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                std::string_view) {
    const std::size_t index = static_cast<std::size_t>(doc.SubtitleLineIndex[i]);
    LineStore& lines = doc.SubtitleLines;
    char fields[2 * kMaxTimeText + 8];
    const std::size_t old = FieldsLength(lines[index]);
    fields[0] = '{';
    char* last = Pair(fields + 1, start, "}{", end);
    *last++ = '}';
    // A first line "{1}{1}25" is read as the file's frame rate. A first subtitle re-timed to
    // such a line stays a subtitle: its end is written with a leading zero ("{1}{01}25"), which
    // reads back as the same frame.
    if (index == 0 &&
        !FrameRateOf(std::string(fields, last) + std::string(lines[0].substr(old))).empty()) {
        last = Pair(fields + 1, start, "}{0", end);
        *last++ = '}';
    }
    lines.replace(index, old, {fields, static_cast<std::size_t>(last - fields)});
}

// Frame numbers are read back as 32-bit integers.
bool CanWrite(TimeValue value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

// Each line without its control codes ("{y:i}", "{c:$0000ff}").
void AppendScreenText(std::string& out, std::string_view stored) {
    AppendEachLine(out, stored, "|", AppendWithoutControlCodes);
}

} // namespace

const FormatEntry kMicroDVDFormat = {
    .code = sfMicroDVD,
    .record = erMicroDVD,
    .jsonName = "MicroDVD",
    .reportName = "MicroDVD player",
    .likelyName = "MicroDVD file",
    .extension = ".sub",
    .filter = "MicroDVD (*.sub)",
    .typedForm = "",
    .frames = true,
    .unit = 1,
    .recognise = Recognise,
    .parse = Parse,
    .canWrite = CanWrite,
    .formatTime = FormatFrames,
    .readTime = ReadFramesTyped,
    .linesBefore = 0,
    .timingLine = OwnLine,
    .writeTimes = WriteTimes,
    .appendScreenText = AppendScreenText,
    .mend = mend::MendMicroDvd,
};

} // namespace velkar
