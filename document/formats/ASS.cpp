// Advanced SubStation Alpha (.ass, v4.00+) and SubStation Alpha (.ssa, v4.00): a "[Script Info]"
// section, then sections of which "[Events]" holds a "Format:" line naming its fields (Start and
// End among them, in any order) and one "Dialogue:" or "Comment:" line per event. Every event is
// a subtitle (comments are re-timed with the rest but not shown). Times "H:MM:SS.cc", read with
// one or more hour digits and written with as many as the field had; values are milliseconds,
// written in whole hundredths. A comment's stored text is "Comment: " and its text field.
#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineTests.h"
#include "document/TableBuilder.h"
#include "document/TimeCode.h"
#include "document/formats/ClockText.h"
#include "document/formats/FormatParts.h"
#include "document/formats/ScreenText.h"

#include <algorithm>
#include <cstring>

namespace velkar {

namespace {

constexpr std::string_view kCommentMark = "Comment: ";

std::string_view Trim(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t'))
        t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t'))
        t.remove_suffix(1);
    return t;
}

bool SameWord(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

bool StartsWordNoCase(std::string_view line, std::string_view word) {
    return line.size() >= word.size() && SameWord(line.substr(0, word.size()), word);
}

// "[Name]": a section header (blanks around it allowed).
bool IsSection(std::string_view line) {
    if (!line.empty() && line[0] != '[' && line[0] != ' ' && line[0] != '\t')
        return false; // the usual line, told at its first character
    line = Trim(line);
    return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

// The first comma of `line` at or after `from`, or npos: as line.find(',', from), looked for in
// place, since an event's fields are a few characters each and a library call for each costs
// more than the search.
std::size_t NextComma(std::string_view line, std::size_t from) {
    for (std::size_t k = from; k < line.size(); ++k)
        if (line[k] == ',')
            return k;
    return std::string_view::npos;
}

// "H:MM:SS.cc" or "HH:MM:SS.cc" written plainly, read directly; -1 for any other text. Reads as
// ReadFileClock(text, 1, '.', 2) does where it applies.
std::int32_t PlainEventClock(std::string_view t) {
    if (t.size() != 10 && t.size() != 11)
        return -1;
    const std::size_t h = t.size() - 9; // hour digits
    const char* p = t.data();
    auto d = [p](std::size_t k) {
        return static_cast<unsigned>(static_cast<unsigned char>(p[k])) - '0';
    };
    const unsigned h0 = d(h - 1), h1 = h == 2 ? d(0) : 0, m1 = d(h + 1), m0 = d(h + 2),
                   s1 = d(h + 4), s0 = d(h + 5), c1 = d(h + 7), c0 = d(h + 8);
    if ((h0 > 9) | (h1 > 9) | (m1 > 9) | (m0 > 9) | (s1 > 9) | (s0 > 9) | (c1 > 9) | (c0 > 9) |
        (p[h] != ':') | (p[h + 3] != ':') | (p[h + 6] != '.'))
        return -1;
    return static_cast<std::int32_t>((h1 * 10 + h0) * 3600000 + (m1 * 10 + m0) * 60000 +
                                     (s1 * 10 + s0) * 1000 + (c1 * 10 + c0) * 10);
}

// A time field of an event line: its span, blanks trimmed, and its value when it is a plain
// clock (-1 when it has not been read).
struct TimeField {
    FieldSpan span;
    std::int32_t plain = -1;
};

// The field that begins at `begin` of `line`: a plain clock followed by a comma or the line's
// end is taken as it stands (it holds no comma or blank); anything else runs to the next comma
// and is trimmed. Gives where the field ends (its comma or the line's end).
std::size_t ReadField(std::string_view line, std::size_t begin, TimeField& field) {
    for (std::size_t size : {10, 11}) {
        const std::size_t stop = begin + size;
        if (stop <= line.size() && (stop == line.size() || line[stop] == ',')) {
            field.plain = PlainEventClock(line.substr(begin, size));
            if (field.plain >= 0) {
                field.span = {begin, size};
                return stop;
            }
        }
    }
    field.plain = -1;
    std::size_t end = NextComma(line, begin);
    if (end == std::string_view::npos)
        end = line.size();
    std::size_t at = begin, stop = end;
    while (at < stop && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    while (stop > at && (line[stop - 1] == ' ' || line[stop - 1] == '\t'))
        --stop;
    field.span = {at, stop - at};
    return end;
}

// Fields `a` and `b` (0-based) of an event line, found in one walk over its commas up to the
// later of the two; false when the line lacks either. Fields are separated by commas after the
// "Dialogue:" or "Comment:" that ends at `from`.
bool FindTimeFields(std::string_view line, std::size_t from, std::int32_t a, std::int32_t b,
                    TimeField& first, TimeField& second) {
    if (a < 0 || b < 0)
        return false;
    const std::int32_t last = std::max(a, b);
    std::size_t begin = from;
    for (std::int32_t field = 0; field <= last; ++field) {
        std::size_t end = 0;
        if (field == a || field == b) {
            TimeField& found = field == a ? first : second;
            end = ReadField(line, begin, found);
            if (a == b)
                second = first;
        } else {
            end = NextComma(line, begin);
        }
        if (field < last && (end == std::string_view::npos || end == line.size()))
            return false;
        begin = end + 1;
    }
    return true;
}

// Where the fields of an event line begin (after its colon), or 0 for a line that is no event.
std::size_t EventStart(std::string_view line, bool& comment) {
    comment = false;
    // Told apart by the first letter before the words are compared.
    if (line.empty() || (line[0] != 'D' && line[0] != 'C'))
        return 0;
    // (Compared with a fixed length, which the compiler does in place.)
    comment = line.size() >= 8 && std::memcmp(line.data(), "Comment:", 8) == 0;
    if (comment)
        return 8;
    return line.size() >= 9 && std::memcmp(line.data(), "Dialogue:", 9) == 0 ? 9 : 0;
}

// An event's time: "H:MM:SS.cc", or with milliseconds as some writers put them.
TimeValue ReadEventTime(std::string_view text, bool& ok) {
    const std::int32_t plain = PlainEventClock(text);
    ok = plain >= 0;
    if (ok)
        return plain;
    const TimeValue value = ReadFileClock(text, 1, '.', 2, ok);
    return ok ? value : ReadFileClock(text, 1, '.', 3, ok);
}

struct Columns {
    std::int32_t start = -1, end = -1, text = -1;
};

Columns ReadFormatLine(std::string_view line) {
    Columns c;
    std::string_view rest = line.substr(7); // after "Format:"
    for (std::int32_t k = 0;; ++k) {
        const std::size_t comma = rest.find(',');
        const std::string_view name = Trim(rest.substr(0, comma));
        if (SameWord(name, "Start"))
            c.start = k;
        else if (SameWord(name, "End"))
            c.end = k;
        else if (SameWord(name, "Text"))
            c.text = k;
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    return c;
}

struct Event {
    std::size_t line;
    bool comment;
    TimeValue start, end;
    std::size_t from; // where its fields begin
    Columns columns;  // of the Format line above it
};

// An event's text: the last field, everything after the comma before it.
std::string_view EventText(std::string_view line, const Event& ev) {
    std::size_t at = ev.from;
    const std::int32_t textField = ev.columns.text >= 0 ? ev.columns.text : 0;
    for (std::int32_t k = 0; k < textField && at != std::string_view::npos; ++k) {
        at = NextComma(line, at);
        if (at != std::string_view::npos)
            ++at;
    }
    return at == std::string_view::npos ? std::string_view() : line.substr(at);
}

// Reads the script: `event` for each event, `fault(line)` for the first faulty line. Gives the
// format the script says it is (SSA for ScriptType v4.00 or, without one, a "[V4 Styles]"
// section) and the columns of the last Format line.
template <class OnEvent>
SubtitleFormat Walk(const LineStore& lines, OnEvent event, std::size_t& fault, bool& faulty,
                    Columns& columns) {
    faulty = false;
    const std::size_t n = lines.size();
    std::size_t first = 0;
    while (first < n && Trim(lines[first]).empty())
        ++first;
    SubtitleFormat variant = sfUnknown;
    bool inEvents = false, sawEvents = false, sawFormat = false;
    std::size_t eventsLine = n - 1;
    for (std::size_t i = first + 1; i < n; ++i) {
        const std::string_view line = lines[i];
        if (IsSection(line)) {
            const std::string_view name = Trim(line);
            inEvents = SameWord(name, "[Events]");
            if (inEvents && !sawEvents) {
                sawEvents = true;
                eventsLine = i;
            }
            if (variant == sfUnknown && SameWord(name, "[V4 Styles]"))
                variant = sfSSA;
            else if (variant == sfUnknown && StartsWordNoCase(name, "[V4+"))
                variant = sfASS;
            continue;
        }
        if (!inEvents) {
            if (StartsWordNoCase(line, "ScriptType:")) {
                const std::string_view type = Trim(line.substr(11));
                if (SameWord(type, "v4.00"))
                    variant = sfSSA;
                else if (StartsWordNoCase(type, "v4.00+"))
                    variant = sfASS;
            }
            continue;
        }
        if (line.starts_with('F') && line.starts_with("Format:")) {
            columns = ReadFormatLine(line);
            sawFormat = columns.start >= 0 && columns.end >= 0;
            if (!sawFormat) {
                fault = i;
                faulty = true;
                return variant;
            }
            continue;
        }
        bool comment = false;
        const std::size_t from = EventStart(line, comment);
        if (from == 0)
            continue;
        TimeField s, e;
        bool ok = sawFormat && FindTimeFields(line, from, columns.start, columns.end, s, e);
        Event ev{i, comment, s.plain, e.plain, from, columns};
        bool read = true;
        if (ok && s.plain < 0) {
            ev.start = ReadEventTime(line.substr(s.span.at, s.span.size), read);
            ok = read;
        }
        if (ok && e.plain < 0) {
            ev.end = ReadEventTime(line.substr(e.span.at, e.span.size), read);
            ok = read;
        }
        if (!ok) {
            fault = i;
            faulty = true;
            return variant;
        }
        event(ev);
    }
    if (!sawFormat) {
        fault = eventsLine;
        faulty = true;
    }
    return variant;
}

bool IsScriptInfo(const LineStore& lines) {
    for (std::string_view line : lines) {
        line = Trim(line);
        if (!line.empty())
            return SameWord(line, "[Script Info]");
    }
    return false;
}

Recognition Recognise(const LineStore& lines, Progress& progress) {
    if (!IsScriptInfo(lines))
        return {};
    progress.setMaximum(static_cast<int>(lines.size()));
    std::size_t fault = 0;
    bool faulty = false;
    Columns columns;
    const SubtitleFormat variant = Walk(
        lines, [](const Event&) {}, fault, faulty, columns);
    progress.setPosition(0);
    if (faulty)
        return {false, true, fault};
    return {true, false, 0, variant == sfSSA ? sfSSA : sfASS};
}

void Parse(SubtitleDocument& doc, TableBuilder& table, Progress& progress) {
    progress.setMaximum(static_cast<int>(doc.SubtitleLines.size()));
    std::size_t fault = 0;
    bool faulty = false;
    Columns columns;
    doc.EventTimeFields.clear();
    Walk(
        doc.SubtitleLines,
        [&](const Event& ev) {
            auto& fields = doc.EventTimeFields;
            if (fields.empty() || fields.back().start != ev.columns.start ||
                fields.back().end != ev.columns.end)
                fields.push_back(
                    {static_cast<std::int32_t>(ev.line), ev.columns.start, ev.columns.end});
            const std::size_t column = table.add();
            doc.TimingTable[0][column] = ev.start;
            doc.TimingTable[1][column] = ev.end;
            doc.SubtitleLineIndex[column] = static_cast<std::int32_t>(ev.line);
            if (table.texts()) {
                std::string& text = doc.SubtitleTexts[column];
                if (ev.comment)
                    text.assign(kCommentMark);
                text.append(EventText(doc.SubtitleLines[ev.line], ev)
                                .substr(0, kShortStringMax - text.size()));
            }
            table.finish(column);
        },
        fault, faulty, columns);
    progress.setPosition(0);
    if (doc.EventTimeFields.empty())
        doc.EventTimeFields.push_back({0, columns.start, columns.end});
    if (faulty)
        throw ConversionError(ShortString(doc.SubtitleLines[fault]));
}

// A changed time in the form its field had: its sign, at least as many hour digits, as many
// digits after the point.
void WriteField(LineStore& lines, std::size_t index, TimeField time, TimeValue value) {
    const FieldSpan field = time.span;
    const std::string_view old = lines[index].substr(field.at, field.size);
    bool ok = time.plain >= 0;
    if ((ok ? time.plain : ReadEventTime(old, ok)) == value && ok)
        return;
    const std::size_t colon = old.find(':');
    const std::size_t hourDigits =
        colon == std::string_view::npos ? 1 : colon - (old.starts_with('-') ? 1 : 0);
    const std::size_t point = old.rfind('.');
    const int fractionDigits = point != std::string_view::npos && old.size() - point == 4 ? 3 : 2;
    char buffer[kMaxTimeText + 8];
    char* end = FormatOpenClock(
        buffer, value, static_cast<int>(std::max<std::size_t>(hourDigits, 1)), fractionDigits);
    ReplaceInLine(lines, index, field.at, field.size,
                  {buffer, static_cast<std::size_t>(end - buffer)});
}

void WriteTimes(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end,
                std::string_view) {
    const std::size_t index = static_cast<std::size_t>(doc.SubtitleLineIndex[i]);
    const std::string_view line = doc.SubtitleLines[index];
    bool comment = false;
    const std::size_t from = EventStart(line, comment);
    // The fields the Format line above the event names.
    const auto& fields = doc.EventTimeFields;
    auto above = std::upper_bound(fields.begin(), fields.end(), static_cast<std::int32_t>(index),
                                  [](std::int32_t line, const SubtitleDocument::EventFields& f) {
                                      return line < f.fromLine;
                                  });
    if (above != fields.begin())
        --above;
    TimeField s, e;
    if (from == 0 || above == fields.end() ||
        !FindTimeFields(line, from, above->start, above->end, s, e))
        throw ListIndexError(static_cast<long long>(index));
    // The later field first, so that the earlier stays in place.
    if (s.span.at > e.span.at) {
        WriteField(doc.SubtitleLines, index, s, start);
        WriteField(doc.SubtitleLines, index, e, end);
    } else {
        WriteField(doc.SubtitleLines, index, e, end);
        WriteField(doc.SubtitleLines, index, s, start);
    }
}

// Any time, negative ones too, within the table's limit.
bool CanWrite(TimeValue value) {
    return RoundsWithinLimit(value, 10);
}

char* FormatHundredths(char* out, TimeValue value) {
    if (!CanWrite(value))
        throw TimeEncodeError();
    return FormatOpenClock(out, value, 1, 2);
}

TimeValue ReadTyped(std::string_view text) {
    return ReadOpenClock(text, 10);
}

void AppendScreenText(std::string& out, std::string_view stored) {
    if (stored.starts_with(kCommentMark))
        return; // comments are not shown
    AppendWithoutOverrides(out, stored);
}

} // namespace

const FormatEntry kASSFormat = {
    .code = sfASS,
    .record = erASS,
    .jsonName = "ASS",
    .reportName = "Advanced SubStation Alpha",
    .likelyName = "ASS/SSA file",
    .extension = ".ass",
    .filter = "Advanced SubStation Alpha (*.ass)",
    .typedForm = "0:00:00.00",
    .frames = false,
    .unit = 10,
    .recognise = Recognise,
    .parse = Parse,
    .canWrite = CanWrite,
    .formatTime = FormatHundredths,
    .readTime = ReadTyped,
    .linesBefore = 0,
    .timingLine = OwnLine,
    .writeTimes = WriteTimes,
    .appendScreenText = AppendScreenText,
};

const FormatEntry kSSAFormat = {
    .code = sfSSA,
    .record = erASS,
    .jsonName = "SSA",
    .reportName = "SubStation Alpha",
    .likelyName = "ASS/SSA file",
    .extension = ".ssa",
    .filter = "SubStation Alpha (*.ssa)",
    .typedForm = "0:00:00.00",
    .frames = false,
    .unit = 10,
    .recognise = Recognise,
    .parse = Parse,
    .canWrite = CanWrite,
    .formatTime = FormatHundredths,
    .readTime = ReadTyped,
    .linesBefore = 0,
    .timingLine = OwnLine,
    .writeTimes = WriteTimes,
    .appendScreenText = AppendScreenText,
};

} // namespace velkar
