// MPL2: "[start][end]text", times in tenths of a second (values are milliseconds, written in
// whole tenths); "|" breaks a text's lines, a "/" at the start of a line makes it italic. Told
// apart from MicroDVD ("{start}{end}text") line by line.
#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineTests.h"
#include "document/TableBuilder.h"
#include "document/TimeCode.h"
#include "document/formats/ClockText.h"
#include "document/formats/FormatParts.h"
#include "document/formats/ScreenText.h"

#include <limits>

namespace velkar {

namespace {

// One bracket field at `at`: "[", an optional "-", digits, "]". Gives the span of its number
// and the place after its "]"; nothing when the text there is no field.
bool BracketField(std::string_view line, std::size_t at, FieldSpan& number, std::size_t& next) {
    if (at >= line.size() || line[at] != '[')
        return false;
    std::size_t k = at + 1;
    if (k < line.size() && line[k] == '-')
        ++k;
    const std::size_t digits = k;
    while (k < line.size() && line[k] >= '0' && line[k] <= '9')
        ++k;
    if (k == digits || k - digits > 12 || k >= line.size() || line[k] != ']')
        return false;
    number = {at + 1, k - at - 1};
    next = k + 1;
    return true;
}

// The start and end fields of an MPL2 line, and where its text begins.
bool Fields(std::string_view line, FieldSpan& start, FieldSpan& end, std::size_t& text) {
    std::size_t next = 0;
    return BracketField(line, 0, start, next) && BracketField(line, next, end, text);
}

bool IsMPL2Line(std::string_view line) {
    FieldSpan s, e;
    std::size_t text;
    return Fields(line, s, e, text);
}

// A line that MicroDVD reads as a subtitle: "{...}{...}".
bool IsMicroDVDKind(std::string_view line) {
    return !line.empty() && line[0] == '{' && IsMicroDVDLine(line);
}

// Every line is an MPL2 line or empty. A file with MPL2 lines names its first faulty line; where
// MicroDVD lines outnumber them, the first MPL2 line is the fault (the file is MicroDVD).
Recognition Recognise(const LineStore& lines, Progress& progress) {
    progress.setMaximum(static_cast<int>(lines.size()));
    std::size_t mpl2 = 0, microDVD = 0;
    std::size_t firstFault = lines.size(), firstMPL2 = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i % 4096 == 0)
            progress.setPosition(static_cast<int>(i));
        const std::string_view line = ShortString(lines[i]);
        if (line.empty())
            continue;
        if (IsMPL2Line(line)) {
            if (mpl2++ == 0)
                firstMPL2 = i;
            continue;
        }
        if (IsMicroDVDKind(line))
            ++microDVD;
        if (firstFault == lines.size())
            firstFault = i;
    }
    progress.setPosition(0);
    if (mpl2 == 0)
        return {};
    if (firstFault == lines.size())
        return {true, false, 0};
    return {false, true, microDVD > mpl2 ? firstMPL2 : firstFault};
}

// The milliseconds of a field of tenths (at most 12 digits: within the table's limit).
TimeValue Tenths(std::string_view field) {
    long long tenths = 0;
    const bool negative = field[0] == '-';
    for (std::size_t k = negative ? 1 : 0; k < field.size(); ++k)
        tenths = tenths * 10 + (field[k] - '0');
    return (negative ? -tenths : tenths) * 100;
}

void Parse(SubtitleDocument& doc, TableBuilder& table, Progress& progress) {
    const LineStore& lines = doc.SubtitleLines;
    progress.setMaximum(static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = ShortString(lines[i]);
        if (line.empty())
            continue;
        FieldSpan start, end;
        std::size_t text = 0;
        if (!Fields(line, start, end, text))
            throw ConversionError(line);
        const std::size_t column = table.add();
        doc.TimingTable[0][column] = Tenths(line.substr(start.at, start.size));
        doc.TimingTable[1][column] = Tenths(line.substr(end.at, end.size));
        doc.SubtitleLineIndex[column] = static_cast<std::int32_t>(i);
        if (table.texts())
            doc.SubtitleTexts[column].assign(line.substr(text));
        table.finish(column);
    }
    progress.setPosition(0);
}

// A field takes the new number only when its value changes, zero-padded to its old width when
// it was padded ("[00]" becomes "[05]").
void WriteField(LineStore& lines, std::size_t index, FieldSpan field, TimeValue value) {
    const std::string_view old = lines[index].substr(field.at, field.size);
    if (Tenths(old) == value)
        return;
    const std::string_view digits = old[0] == '-' ? old.substr(1) : old;
    const std::size_t width = digits.size() > 1 && digits[0] == '0' ? digits.size() : 1;
    const long long tenths = RoundToUnit(value, 100) / 100;
    ReplaceInLine(lines, index, field.at, field.size, PaddedNumber(tenths, width));
}

void WriteTimes(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                std::string_view) {
    const std::size_t index = static_cast<std::size_t>(doc.SubtitleLineIndex[i]);
    FieldSpan s, e;
    std::size_t text = 0;
    if (!Fields(doc.SubtitleLines[index], s, e, text))
        throw ListIndexError(static_cast<long long>(index));
    WriteField(doc.SubtitleLines, index, e, end); // the later field first: s stays in place
    WriteField(doc.SubtitleLines, index, s, start);
}

// Any time, negative ones too, within the table's limit.
bool CanWrite(TimeValue value) {
    return RoundsWithinLimit(value, 100);
}

char* FormatTenths(char* out, TimeValue value) {
    if (!CanWrite(value))
        throw TimeEncodeError();
    return FormatOpenClock(out, value, 2, 1);
}

TimeValue ReadTyped(std::string_view text) {
    return ReadOpenClock(text, 100);
}

void AppendScreenText(std::string& out, std::string_view stored) {
    // Each line of the text: a leading "/" (italics) goes, MicroDVD-style codes "{y:i}" too.
    AppendEachLine(out, stored, "|", [](std::string& to, std::string_view line) {
        if (!line.empty() && line[0] == '/')
            line.remove_prefix(1);
        AppendWithoutControlCodes(to, line);
    });
}

} // namespace

const FormatEntry kMPL2Format = {
    .code = sfMPL2,
    .record = erMPL2,
    .jsonName = "MPL2",
    .reportName = "MPL2",
    .likelyName = "MPL2 file",
    .extension = ".txt",
    .filter = "MPL2 (*.txt)",
    .typedForm = "00:00:00.0",
    .frames = false,
    .unit = 100,
    .recognise = Recognise,
    .parse = Parse,
    .canWrite = CanWrite,
    .formatTime = FormatTenths,
    .readTime = ReadTyped,
    .linesBefore = 0,
    .timingLine = OwnLine,
    .writeTimes = WriteTimes,
    .appendScreenText = AppendScreenText,
};

} // namespace velkar
