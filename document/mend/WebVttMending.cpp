// WebVTT: a "WEBVTT" signature, then blocks. Mended: cue timestamps that players read but the
// format does not allow, written in its form with the same time: a timestamp without its
// fraction ("00:01:39" becomes "00:01:39.000"), with one or two digits of it ("41.04" becomes
// "41.040"), or with a one-digit minute or second field. A cue whose timing line does not read
// even so is removed whole, as players pass over it. Every other line is kept.
#include "document/mend/FormatMending.h"

#include <optional>
#include <string>

namespace velkar::mend {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool AllDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (!IsDigit(c))
            return false;
    return true;
}

// `stamp` in the format's form ("[h...:]mm:ss.ttt"), or nothing when it is no timestamp at all.
std::optional<std::string> Standard(std::string_view stamp) {
    const std::size_t dot = stamp.find('.');
    const std::string_view clock = stamp.substr(0, dot);
    const std::string_view fraction =
        dot == std::string_view::npos ? std::string_view() : stamp.substr(dot + 1);
    if (fraction.size() > 3 || (dot != std::string_view::npos && !AllDigits(fraction)))
        return std::nullopt;
    std::string_view fields[3];
    int count = 0;
    for (std::string_view rest = clock;;) {
        if (count == 3)
            return std::nullopt;
        const std::size_t colon = rest.find(':');
        fields[count++] = rest.substr(0, colon);
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    if (count < 2)
        return std::nullopt;
    std::string out;
    for (int k = 0; k < count; ++k) {
        const std::string_view field = fields[k];
        const bool hours = count == 3 && k == 0;
        if (!AllDigits(field) || (!hours && field.size() > 2))
            return std::nullopt;
        if (!hours && field.size() == 1)
            out += '0';
        out.append(field);
        out += k + 1 < count ? ":" : ".";
    }
    out.append(fraction);
    out.append(3 - fraction.size(), '0');
    return out;
}

// The most hours a time of the table may have, whatever its minutes and seconds.
constexpr TimeValue kMostHours = kMaxTimeValue / 3600000 - 1;

// Whether a standard timestamp lies beyond the hours the timing table holds.
bool BeyondTable(std::string_view stamp) {
    const std::size_t colon = stamp.find(':');
    if (stamp.find(':', colon + 1) == std::string_view::npos)
        return false; // no hours
    const std::string_view hours = stamp.substr(0, colon);
    return hours.size() > 12 || std::stoll(std::string(hours)) > kMostHours;
}

// The timestamps of a cue timing line in the format's form, and the line with them: start,
// blanks, "-->", blanks, end, then the settings as they stand.
struct TimingLine {
    std::string start, end, mended;
};

bool IsClockCharacter(char c) {
    return IsDigit(c) || c == ':' || c == '.';
}

std::size_t ClockEnd(std::string_view line, std::size_t at) {
    while (at < line.size() && IsClockCharacter(line[at]))
        ++at;
    return at;
}

// Nothing for a line that no standard timing line can be made of.
std::optional<TimingLine> ReadTimingLine(std::string_view line) {
    const std::size_t startEnd = ClockEnd(line, 0);
    std::size_t k = startEnd;
    while (k < line.size() && IsBlank(line[k]))
        ++k;
    if (line.substr(k, 3) != "-->")
        return std::nullopt;
    std::size_t endAt = k + 3;
    while (endAt < line.size() && IsBlank(line[endAt]))
        ++endAt;
    const std::size_t endEnd = ClockEnd(line, endAt);
    auto start = Standard(line.substr(0, startEnd));
    auto end = Standard(line.substr(endAt, endEnd - endAt));
    if (!start || !end)
        return std::nullopt;
    // Settings may follow an end in the format's form at once, but an end in another form
    // must end where a blank or the line does ("00:0" before a NUL byte is no time).
    if (endEnd < line.size() && !IsBlank(line[endEnd]) &&
        *end != line.substr(endAt, endEnd - endAt))
        return std::nullopt;
    TimingLine t{*start, *end, *start};
    t.mended.append(line.substr(startEnd, endAt - startEnd));
    t.mended += t.end;
    t.mended.append(line.substr(endEnd));
    return t;
}

} // namespace

bool MendWebVtt(const LineStore& lines, MendedLines& out, MendFault& fault) {
    if (lines.empty() || !lines[0].starts_with("WEBVTT")) {
        fault = {}; // nothing of the format: no fault of its own to name
        return false;
    }
    const std::size_t n = lines.size();
    const auto hasArrow = [&](std::size_t i) {
        return i > 0 && i < n && lines[i].find("-->") != std::string_view::npos;
    };
    // A cue's identifier: the first line of a block, right before its timing line.
    const auto isIdentifier = [&](std::size_t i) {
        return i >= 2 && !lines[i].empty() && !hasArrow(i) && lines[i - 1].empty() &&
               hasArrow(i + 1);
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (isIdentifier(i) && !ReadTimingLine(lines[i + 1])) {
            out.dropQuietly(i); // goes with its cue, below
            continue;
        }
        if (!hasArrow(i)) {
            out.keep(i);
            continue;
        }
        const std::optional<TimingLine> timing = ReadTimingLine(lines[i]);
        if (!timing) {
            // A cue whose timing line does not read even so (a NUL byte inside a timestamp, a
            // "-->" in a text): players pass over it; it goes whole, its identifier, timing line
            // and text.
            out.note(MendKind::UnreadableCue, i);
            out.dropQuietly(i);
            while (i + 1 < n && !lines[i + 1].empty() && !hasArrow(i + 1))
                out.dropQuietly(++i);
            continue;
        }
        if (BeyondTable(timing->start) || BeyondTable(timing->end)) {
            fault = {i, "a time beyond " + std::to_string(kMostHours) + " hours"};
            return false;
        }
        if (timing->mended == lines[i])
            out.keep(i);
        else
            out.rewrite(i, timing->mended, MendKind::TimeLine);
    }
    return true;
}

} // namespace velkar::mend
