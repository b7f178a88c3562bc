// WebVTT: a "WEBVTT" signature, then blocks. Mended: cue timestamps that players read but the
// format does not allow, written in its form with the same time: a timestamp without its
// fraction ("00:01:39" becomes "00:01:39.000"), with one or two digits of it ("41.04" becomes
// "41.040"), or with a one-digit minute or second field. Every other line is kept.
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

// The length of the token at `at`: up to a blank or the end.
std::size_t TokenEnd(std::string_view line, std::size_t at) {
    while (at < line.size() && !IsBlank(line[at]))
        ++at;
    return at;
}

} // namespace

bool MendWebVtt(const LineStore& lines, MendedLines& out, MendFault& fault) {
    if (lines.empty() || !lines[0].starts_with("WEBVTT")) {
        fault = {}; // nothing of the format: no fault of its own to name
        return false;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        const std::size_t arrow = line.find("-->");
        if (arrow == std::string_view::npos || i == 0) {
            out.keep(i);
            continue;
        }
        // start, blanks, "-->", blanks, end, then the settings as they stand.
        const std::size_t startEnd = TokenEnd(line, 0);
        std::size_t endAt = arrow + 3;
        while (endAt < line.size() && IsBlank(line[endAt]))
            ++endAt;
        const std::size_t endEnd = TokenEnd(line, endAt);
        const auto start = Standard(line.substr(0, std::min(startEnd, arrow)));
        const auto end = Standard(line.substr(endAt, endEnd - endAt));
        if (!start || !end) {
            fault = {i, "a cue timing line that does not read"};
            return false;
        }
        if (BeyondTable(*start) || BeyondTable(*end)) {
            fault = {i, "a time beyond " + std::to_string(kMostHours) + " hours"};
            return false;
        }
        std::string mended = *start;
        mended.append(line.substr(std::min(startEnd, arrow), endAt - std::min(startEnd, arrow)));
        mended += *end;
        mended.append(line.substr(endEnd));
        if (mended == line)
            out.keep(i);
        else
            out.rewrite(i, std::move(mended), MendKind::TimeLine);
    }
    return true;
}

} // namespace velkar::mend
