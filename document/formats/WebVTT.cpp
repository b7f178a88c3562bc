// WebVTT: a "WEBVTT" signature line and a header, then blocks separated by empty lines. A cue is
// an optional identifier line, a timing line "[hh:]mm:ss.ttt --> [hh:]mm:ss.ttt [settings]" and
// text lines; NOTE, STYLE and REGION blocks are kept as they are. Values are milliseconds. A
// cue's text lines are stored joined by "[br]". Timestamp tags in a cue's text
// ("<00:00:01.500>") are times of the film and are re-timed with the cues.
#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineTests.h"
#include "document/TableBuilder.h"
#include "document/TimeCode.h"
#include "document/formats/ClockText.h"
#include "document/formats/FormatParts.h"
#include "document/formats/ScreenText.h"
#include "document/mend/FormatMending.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace velkar {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A timestamp at `at`: one or more hour digits and ":" (optional), two minute digits, ":", two
// second digits, ".", three digits. Gives its span, value and whether it has hours.
// "hh:mm:ss.ttt" (hours true) or "mm:ss.ttt" at `at`, digits and separators in place and no
// digit after them, read directly; false for anything else, which ScanTimestamp reads the
// general way. Reads as ScanTimestamp does where it applies.
bool PlainTimestamp(std::string_view line, std::size_t at, FieldSpan& span, TimeValue& value,
                    bool& hours) {
    if (line.size() < at + 9)
        return false;
    const char* p = line.data() + at;
    auto d = [p](std::size_t k) {
        return static_cast<unsigned>(static_cast<unsigned char>(p[k])) - '0';
    };
    if ((d(0) > 9) || (d(1) > 9) || (p[2] != ':') || (d(3) > 9) || (d(4) > 9))
        return false;
    const unsigned first = d(0) * 10 + d(1), second = d(3) * 10 + d(4);
    std::size_t size = 0;
    unsigned total = 0;
    if (p[5] == '.') { // mm:ss.ttt
        if ((d(6) > 9) || (d(7) > 9) || (d(8) > 9))
            return false;
        size = 9;
        total = first * 60000 + second * 1000 + d(6) * 100 + d(7) * 10 + d(8);
        hours = false;
    } else {
        if (line.size() < at + 12 || (p[5] != ':') || (d(6) > 9) || (d(7) > 9) || (p[8] != '.') ||
            (d(9) > 9) || (d(10) > 9) || (d(11) > 9))
            return false;
        size = 12;
        total = first * 3600000 + second * 60000 + (d(6) * 10 + d(7)) * 1000 + d(9) * 100 +
                d(10) * 10 + d(11);
        hours = true;
    }
    if (line.size() > at + size && IsDigit(p[size]))
        return false;
    value = total;
    span = {at, size};
    return true;
}

bool ScanTimestamp(std::string_view line, std::size_t at, FieldSpan& span, TimeValue& value,
                   bool& hours) {
    if (PlainTimestamp(line, at, span, value, hours))
        return true;
    std::size_t groups[3]; // the lengths of up to three digit runs before the "."
    std::size_t values[3] = {0, 0, 0};
    int count = 0;
    std::size_t k = at;
    for (;;) {
        const std::size_t from = k;
        std::size_t v = 0;
        while (k < line.size() && IsDigit(line[k]) && k - from < 12)
            v = v * 10 + static_cast<std::size_t>(line[k++] - '0');
        if (k == from || count == 3)
            return false;
        groups[count] = k - from;
        values[count++] = v;
        if (k < line.size() && line[k] == ':') {
            ++k;
            continue;
        }
        break;
    }
    if (count < 2 || k + 3 >= line.size() || line[k] != '.')
        return false;
    if (!IsDigit(line[k + 1]) || !IsDigit(line[k + 2]) || !IsDigit(line[k + 3]))
        return false;
    if (k + 4 < line.size() && IsDigit(line[k + 4]))
        return false;
    hours = count == 3;
    const std::size_t first = hours ? 1 : 0;
    if (groups[first] != 2 || groups[first + 1] != 2)
        return false;
    const std::size_t fraction = static_cast<std::size_t>(
        (line[k + 1] - '0') * 100 + (line[k + 2] - '0') * 10 + line[k + 3] - '0');
    const std::size_t total = (hours ? values[0] : 0) * 3600000 + values[first] * 60000 +
                              values[first + 1] * 1000 + fraction;
    // Hours have no limit but the table's (twelve digits and their sum fit 64 bits).
    if (total > static_cast<std::size_t>(kMaxTimeValue))
        return false;
    value = static_cast<TimeValue>(total);
    span = {at, k + 4 - at};
    return true;
}

struct Timing {
    FieldSpan start, end;
    TimeValue startValue = 0, endValue = 0;
    bool startHours = false, endHours = false;
};

// A cue timing line: timestamp, blanks, "-->", blanks, timestamp, then the end or blanks and the
// cue settings.
bool ReadTiming(std::string_view line, Timing& t) {
    if (!ScanTimestamp(line, 0, t.start, t.startValue, t.startHours))
        return false;
    std::size_t k = t.start.size;
    while (k < line.size() && IsBlank(line[k]))
        ++k;
    if (line.substr(k, 3) != "-->")
        return false;
    k += 3;
    while (k < line.size() && IsBlank(line[k]))
        ++k;
    if (!ScanTimestamp(line, k, t.end, t.endValue, t.endHours))
        return false;
    // Settings follow the end time, after blanks or (as some writers do) right after it.
    return true;
}

// Whether `line` holds "-->": found by its ">", rarer in text than "-", and the two characters
// before it compared in place.
bool HasArrow(std::string_view line) {
    for (std::size_t at = line.find('>', 2); at != std::string_view::npos;
         at = line.find('>', at + 1))
        if (line[at - 1] == '-' && line[at - 2] == '-')
            return true;
    return false;
}

bool StartsWord(std::string_view line, std::string_view word) {
    return line.starts_with(word) && (line.size() == word.size() || IsBlank(line[word.size()]));
}

bool IsSignature(std::string_view line) {
    return StartsWord(line, "WEBVTT");
}

// A file that begins with the signature line reads a NUL byte anywhere as U+FFFD.
bool SignatureTakesNulBytes(std::string_view text) {
    return IsSignature(text.substr(0, text.find_first_of("\r\n")));
}

// Calls cue(timingLine, firstTextLine, endOfText) for each cue, and fault(line) for a timing line
// that does not read (stopping there when it returns true).
template <class Cue, class Fault> void WalkCues(const LineStore& lines, Cue cue, Fault fault) {
    const std::size_t n = lines.size();
    std::size_t i = 1;
    // The header runs to the first empty line; a line with "-->" in it starts a cue there.
    while (i < n && !lines[i].empty() && !HasArrow(lines[i]))
        ++i;
    while (i < n) {
        if (lines[i].empty()) {
            ++i;
            continue;
        }
        std::size_t timing = n;
        const std::string_view first = lines[i];
        if (HasArrow(first))
            timing = i;
        else if (!StartsWord(first, "NOTE") && !StartsWord(first, "STYLE") &&
                 !StartsWord(first, "REGION") && i + 1 < n && HasArrow(lines[i + 1]))
            timing = i + 1; // after the cue's identifier
        if (timing == n) {  // a block that is no cue: kept as it is
            while (i < n && !lines[i].empty())
                ++i;
            continue;
        }
        Timing t;
        if (!ReadTiming(ShortString(lines[timing]), t)) {
            if (fault(timing))
                return;
        }
        std::size_t end = timing + 1;
        while (end < n && !lines[end].empty() && !HasArrow(lines[end]))
            ++end;
        cue(timing, t, end);
        i = end;
    }
}

Recognition Recognise(const LineStore& lines, Progress& progress) {
    if (lines.empty() || !IsSignature(lines[0]))
        return {};
    progress.setMaximum(static_cast<int>(lines.size()));
    Recognition result{true, false, 0};
    WalkCues(
        lines, [](std::size_t, const Timing&, std::size_t) {},
        [&](std::size_t line) {
            result = {false, true, line};
            return true;
        });
    progress.setPosition(0);
    return result;
}

void Parse(SubtitleDocument& doc, TableBuilder& table, Progress& progress) {
    const LineStore& lines = doc.SubtitleLines;
    progress.setMaximum(static_cast<int>(lines.size()));
    WalkCues(
        lines,
        [&](std::size_t timing, const Timing& t, std::size_t end) {
            const std::size_t column = table.add();
            doc.TimingTable[0][column] = t.startValue;
            doc.TimingTable[1][column] = t.endValue;
            doc.SubtitleLineIndex[column] = static_cast<std::int32_t>(timing);
            if (table.texts()) {
                std::string& text = doc.SubtitleTexts[column];
                for (std::size_t k = timing + 1; k < end && text.size() < kShortStringMax; ++k) {
                    if (k > timing + 1)
                        text.append("[br]");
                    text.append(ShortString(lines[k]));
                }
                if (text.size() > kShortStringMax)
                    text.resize(kShortStringMax);
            }
            table.finish(column);
        },
        [&](std::size_t line) -> bool { throw ConversionError(ShortString(lines[line])); });
    progress.setPosition(0);
}

bool CanWrite(TimeValue value) {
    return value >= 0 && value <= kMaxTimeValue;
}

// `value` in the form a field had: hours (at least as many digits as it had) when it had them or
// the time reaches an hour, "mm:ss.ttt" otherwise.
// The text is written at `buffer`, which has room for it.
std::string_view Timestamp(char* buffer, TimeValue value, bool hadHours, std::size_t hourDigits) {
    char* end = FormatOpenClock(buffer, value, static_cast<int>(hourDigits), 3);
    std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
    if (!hadHours && value < 3600000) // "hh:" off, whose length is known but for a sign
        text.remove_prefix(value >= 0 ? hourDigits + 1 : text.find(':') + 1);
    return text;
}

void WriteField(LineStore& lines, std::size_t index, FieldSpan field, TimeValue old, bool hadHours,
                TimeValue value) {
    if (old == value)
        return;
    // The hours are what comes before "mm:ss.ttt" and its colon.
    const std::size_t hourDigits = hadHours ? field.size - 10 : 2;
    // A sign, as many hour digits as the field had (ScanTimestamp takes up to 10), ":mm:ss.ttt".
    char buffer[32];
    ReplaceInLine(lines, index, field.at, field.size,
                  Timestamp(buffer, value, hadHours, std::max<std::size_t>(hourDigits, 2)));
}

void WriteTimes(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                std::string_view) {
    const std::size_t index = static_cast<std::size_t>(doc.SubtitleLineIndex[i]);
    Timing t;
    if (!ReadTiming(doc.SubtitleLines[index], t))
        throw ListIndexError(static_cast<long long>(index));
    WriteField(doc.SubtitleLines, index, t.end, t.endValue, t.endHours, end);
    WriteField(doc.SubtitleLines, index, t.start, t.startValue, t.startHours, start);
}

// The timestamp tags of cue i's text lines: line, span inside the "<...>", value, hours.
struct InlineTime {
    std::size_t line;
    FieldSpan span;
    TimeValue value;
    bool hours;
};

std::vector<InlineTime> InlineTimes(const SubtitleDocument& doc) {
    std::vector<InlineTime> found;
    const LineStore& lines = doc.SubtitleLines;
    for (std::size_t i = 0; i < doc.FinishedCount(); ++i) {
        for (std::size_t k = static_cast<std::size_t>(doc.SubtitleLineIndex[i]) + 1;
             k < lines.size() && !lines[k].empty(); ++k) {
            const std::string_view line = lines[k];
            // A line without ">" holds neither a tag nor the arrow that ends the cue's text.
            if (line.find('>') == std::string_view::npos)
                continue;
            if (HasArrow(line))
                break;
            for (std::size_t at = line.find('<'); at != std::string_view::npos;
                 at = line.find('<', at + 1)) {
                InlineTime t{k, {}, 0, false};
                if (ScanTimestamp(line, at + 1, t.span, t.value, t.hours) &&
                    t.span.at + t.span.size < line.size() && line[t.span.at + t.span.size] == '>')
                    found.push_back(t);
            }
        }
    }
    return found;
}

void MapInlineTimes(SubtitleDocument& doc, const InlineMap& map, bool write) {
    const std::vector<InlineTime> times = InlineTimes(doc);
    if (!write) {
        for (const InlineTime& t : times)
            if (!CanWrite(map(t.value)))
                throw TimeEncodeError();
        return;
    }
    // From the last to the first, so that a rewritten tag leaves the places of those before it.
    for (auto t = times.rbegin(); t != times.rend(); ++t)
        WriteField(doc.SubtitleLines, t->line, t->span, t->value, t->hours, map(t->value));
}

// A WebVTT time cannot run before 00:00:00.
char* FormatMilliseconds(char* out, TimeValue value) {
    if (!CanWrite(value))
        throw TimeEncodeError();
    return FormatOpenClock(out, value, 2, 3);
}

TimeValue ReadTyped(std::string_view text) {
    return ReadOpenClock(text, 1);
}

void AppendScreenText(std::string& out, std::string_view stored) {
    AppendEachLine(out, stored, "[br]", [](std::string& to, std::string_view line) {
        std::string plain;
        AppendWithoutTags(plain, line);
        const std::size_t from = to.size();
        AppendDecodingReferences(to, plain);
        // A NUL byte is shown as U+FFFD, as WebVTT reads it.
        for (std::size_t k = to.find('\0', from); k != std::string::npos; k = to.find('\0', k + 3))
            to.replace(k, 1, "\xEF\xBF\xBD");
    });
}

} // namespace

const FormatEntry kWebVTTFormat = {
    .code = sfWebVTT,
    .record = erWebVTT,
    .jsonName = "WebVTT",
    .reportName = "WebVTT",
    .likelyName = "WebVTT file",
    .extension = ".vtt",
    .filter = "WebVTT (*.vtt)",
    .typedForm = "00:00:00.000",
    .frames = false,
    .unit = 1,
    .recognise = Recognise,
    .parse = Parse,
    .canWrite = CanWrite,
    .formatTime = FormatMilliseconds,
    .readTime = ReadTyped,
    .linesBefore = 0,
    .timingLine = OwnLine,
    .writeTimes = WriteTimes,
    .appendScreenText = AppendScreenText,
    .mapInlineTimes = MapInlineTimes,
    .mend = mend::MendWebVtt,
    .takesNulBytes = SignatureTakesNulBytes,
};

} // namespace velkar
