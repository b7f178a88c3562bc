// SubRip: blocks of counter, time line, text lines and one empty line. Mended: missing and
// garbled counters, time lines in other spellings, runs of empty lines, empty lines inside a
// text, blocks without text or without a time line, a missing empty line between blocks, and
// what stands before the first block (empty lines, a download's header lines).
#include "document/IntegerConversion.h"
#include "document/LineTests.h"
#include "document/mend/FormatMending.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace velkar::mend {

namespace {

// A time line as players read it: each field its integer value, "." or "," before the
// milliseconds (or none), any arrow of dashes and blanks ending in ">".
struct LooseTimes {
    std::int64_t start = 0, end = 0; // milliseconds
    std::string_view rest;           // what follows the end time, kept
    bool negative = false;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void SkipBlanks(std::string_view t, std::size_t& k) {
    while (k < t.size() && (t[k] == ' ' || t[k] == '\t'))
        ++k;
}

// Digits at k (at most `most`), as a number; nothing when there is no digit.
std::optional<std::int64_t> Number(std::string_view t, std::size_t& k, std::size_t most) {
    std::size_t digits = 0;
    std::int64_t value = 0;
    while (k < t.size() && IsDigit(t[k]) && digits < most) {
        value = value * 10 + (t[k] - '0');
        ++k;
        ++digits;
    }
    if (digits == 0 || (k < t.size() && IsDigit(t[k])))
        return std::nullopt;
    return value;
}

// h:m:s with an optional ",ms" or ".ms" (up to three digits, taken as their integer value).
std::optional<std::int64_t> Time(std::string_view t, std::size_t& k, bool& negative) {
    if (k < t.size() && t[k] == '-') {
        negative = true;
        ++k;
    }
    const auto h = Number(t, k, 6);
    if (!h || k >= t.size() || t[k] != ':')
        return std::nullopt;
    ++k;
    const auto m = Number(t, k, 2);
    if (!m || k >= t.size() || t[k] != ':')
        return std::nullopt;
    ++k;
    const auto s = Number(t, k, 2);
    if (!s)
        return std::nullopt;
    std::int64_t ms = 0;
    if (k + 1 < t.size() && (t[k] == ',' || t[k] == '.') && IsDigit(t[k + 1])) {
        ++k;
        const auto value = Number(t, k, 3);
        if (!value)
            return std::nullopt;
        ms = *value;
    }
    return ((*h * 60 + *m) * 60 + *s) * 1000 + ms;
}

// "-->", "->", "- >", "-- >", "—>", "–>": dashes and blanks, at least one dash, then ">".
bool Arrow(std::string_view t, std::size_t& k) {
    bool dash = false;
    for (;;) {
        if (k < t.size() && (t[k] == '-' || t[k] == ' ')) {
            dash |= t[k] == '-';
            ++k;
        } else if (t.substr(k).starts_with("\xE2\x80\x94") ||
                   t.substr(k).starts_with("\xE2\x80\x93")) {
            dash = true;
            k += 3;
        } else
            break;
    }
    if (!dash || k >= t.size() || t[k] != '>')
        return false;
    ++k;
    return true;
}

std::optional<LooseTimes> ReadLoose(std::string_view t) {
    LooseTimes times;
    std::size_t k = 0;
    SkipBlanks(t, k);
    const auto start = Time(t, k, times.negative);
    if (!start)
        return std::nullopt;
    SkipBlanks(t, k);
    if (!Arrow(t, k))
        return std::nullopt;
    SkipBlanks(t, k);
    const auto end = Time(t, k, times.negative);
    if (!end)
        return std::nullopt;
    times.start = *start;
    times.end = *end;
    times.rest = t.substr(k);
    return times;
}

// hh:mm:ss,mmm; the value is below 100 hours.
std::string Standard(std::int64_t ms) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d,%03d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return text;
}

constexpr std::int64_t kHundredHours = 100LL * 3600 * 1000;

// How each line of the file reads, once the faults that hold for every format are seen past.
struct LineView {
    std::size_t invisible = 0; // bytes of invisible characters in front
    bool empty = false;        // empty, or blanks only
    bool counter = false;      // a whole-line integer
    bool time = false;         // a time line, standard or loose
};

bool IsGarbledCounter(std::string_view t) {
    // Short and with a digit, as "1a", "l2" or "#3": a number spoiled, not a line of text.
    if (t.empty() || t.size() > 8)
        return false;
    bool digit = false;
    for (char c : t) {
        if (c == ' ')
            return false;
        digit |= IsDigit(c);
    }
    return digit;
}

} // namespace

bool MendSubRip(const LineStore& lines, MendedLines& out, MendFault& fault) {
    const std::size_t n = lines.size();
    std::vector<LineView> view(n);
    std::vector<std::size_t> times; // the time lines, in order
    for (std::size_t i = 0; i < n; ++i) {
        const std::string_view line = lines[i];
        LineView& v = view[i];
        v.empty = line.empty() || IsBlankLine(line);
        if (v.empty)
            continue;
        const std::size_t invisible = InvisiblePrefix(line);
        const std::string_view body = ShortString(line.substr(invisible));
        v.counter = IsIntegerLine(body);
        v.time = !v.counter && (IsTimeLine(body) || ReadLoose(line.substr(invisible)));
        if (v.counter || v.time)
            v.invisible = invisible;
        if (v.time)
            times.push_back(i);
    }
    if (times.empty()) {
        fault = {0, "no time line"};
        return false;
    }

    // Where each block starts: its counter, or its time line when it has none.
    std::vector<std::size_t> starts(times.size());
    std::vector<bool> hasCounter(times.size()), garbled(times.size());
    for (std::size_t b = 0; b < times.size(); ++b) {
        const std::size_t t = times[b];
        const std::size_t previous = b > 0 ? times[b - 1] : static_cast<std::size_t>(-1);
        starts[b] = t;
        if (t == 0 || t - 1 == previous)
            continue;
        const std::size_t c = t - 1;
        const bool afterBreak = c == 0 || view[c - 1].empty;
        if (view[c].counter) {
            hasCounter[b] = true;
            starts[b] = c;
        } else if (!view[c].empty && afterBreak &&
                   IsGarbledCounter(lines[c].substr(InvisiblePrefix(lines[c])))) {
            hasCounter[b] = garbled[b] = true;
            starts[b] = c;
        }
    }

    // Before the first block: empty lines and a download's header lines only.
    for (std::size_t i = 0; i < starts[0]; ++i) {
        if (view[i].empty)
            out.drop(i, MendKind::ExtraEmptyLine);
        else if (IsForeignLine(lines[i]))
            out.drop(i, MendKind::ForeignLine);
        else {
            fault = {i, "text before the first subtitle"};
            return false;
        }
    }

    std::size_t number = 0; // counters written so far
    for (std::size_t b = 0; b < times.size(); ++b) {
        const std::size_t t = times[b];
        const std::size_t next = b + 1 < times.size() ? starts[b + 1] : n;
        const bool last = b + 1 == times.size();
        // The text: non-empty lines of the block up to its last one. An empty line inside it
        // followed by a counter that has no time line ends the text; what follows, up to the next
        // empty line, is a block without a time line.
        std::size_t textEnd = t + 1; // one past the last text line
        std::size_t timeless = next; // first line of a block without a time line
        for (std::size_t i = t + 1; i < next; ++i) {
            if (view[i].empty)
                continue;
            if (view[i - 1].empty && i - 1 > t && view[i].counter) {
                timeless = i;
                break;
            }
            textEnd = i + 1;
        }
        const std::string_view line = lines[t];
        const std::string_view body = line.substr(view[t].invisible);
        const auto loose = ReadLoose(body);
        if (loose && loose->negative) {
            fault = {t, "negative time"};
            return false;
        }
        const bool standard = IsTimeLine(ShortString(body));
        if (!standard && (!loose || loose->end >= kHundredHours || loose->start >= kHundredHours)) {
            fault = {t, "a time line that cannot be read"};
            return false;
        }
        bool hasText = false;
        for (std::size_t i = t + 1; i < textEnd; ++i)
            hasText |= !view[i].empty;
        if (!hasText) {
            // The whole block goes, counted once at its first line.
            out.note(MendKind::BlockWithoutText, starts[b]);
            for (std::size_t i = starts[b]; i < timeless; ++i)
                out.dropQuietly(i);
        } else {
            ++number;
            if (!hasCounter[b])
                out.add(std::to_string(number), t, MendKind::MissingCounter);
            else if (garbled[b])
                out.rewrite(starts[b], std::to_string(number), MendKind::GarbledCounter);
            else if (view[starts[b]].invisible > 0)
                out.rewrite(starts[b],
                            std::string(lines[starts[b]].substr(view[starts[b]].invisible)),
                            MendKind::InvisibleMark);
            else
                out.keep(starts[b]);
            if (!standard) {
                std::string written = Standard(loose->start) + " --> " + Standard(loose->end);
                written.append(loose->rest);
                out.rewrite(t, std::move(written), MendKind::TimeLine);
            } else if (view[t].invisible > 0)
                out.rewrite(t, std::string(body), MendKind::InvisibleMark);
            else
                out.keep(t);
            for (std::size_t i = t + 1; i < textEnd; ++i) {
                if (!view[i].empty)
                    out.keep(i);
                else
                    out.drop(i, MendKind::JoinedText);
            }
        }
        // A block without a time line goes whole.
        std::size_t rest = timeless;
        if (timeless < next) {
            out.note(MendKind::BlockWithoutTime, timeless);
            while (rest < next && !view[rest].empty)
                out.dropQuietly(rest++);
            // More of them may follow; each is dropped the same way.
            while (rest < next) {
                if (view[rest].empty) {
                    ++rest;
                    continue;
                }
                if (!view[rest].counter) {
                    fault = {rest, "text outside a subtitle"};
                    return false;
                }
                out.note(MendKind::BlockWithoutTime, rest);
                while (rest < next && !view[rest].empty)
                    out.dropQuietly(rest++);
            }
        }
        // The empty lines after the block: one between blocks; those that end the file stay.
        bool separated = false;
        for (std::size_t i = textEnd; i < next; ++i) {
            if (i >= timeless && i < rest && !view[i].empty)
                continue; // dropped above
            if (!view[i].empty)
                continue; // a dropped block's line
            if (!hasText)
                out.dropQuietly(i);
            else if (last) {
                if (IsBlankLine(lines[i]))
                    out.rewrite(i, {}, MendKind::BlankLine);
                else
                    out.keep(i);
            } else if (!separated) {
                separated = true;
                if (IsBlankLine(lines[i]))
                    out.rewrite(i, {}, MendKind::BlankLine);
                else
                    out.keep(i);
            } else
                out.drop(i, MendKind::ExtraEmptyLine);
        }
        if (hasText && !last && !separated)
            out.add({}, next, MendKind::MissingEmptyLine);
    }
    return true;
}

} // namespace velkar::mend
