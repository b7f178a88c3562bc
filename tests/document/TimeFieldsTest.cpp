// The time fields of ASS/SSA event lines and WebVTT timing lines and tags, read and rewritten,
// against their rules written plainly here: random documents, each time text whole or with a
// character changed, dropped or added, give the same first faulty line, the same table, and the
// same bytes outside the time fields after re-timing. And the open clock's text against a plain
// formatting of its rule.
#include "document/Format.h"
#include "document/Opening.h"
#include "document/TimeCode.h"
#include "document/formats/ClockText.h"
#include "sync/RebuildLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;

SubtitleDocument Open(const Lines& lines) {
    SubtitleDocument doc;
    doc.SubtitleLines = LineStore(lines);
    NoProgress progress;
    Recognise(doc, progress);
    if (HasTimingTable(doc.SubtitleFormat))
        FinishOpen(doc, progress);
    return doc;
}

std::string Digits(std::mt19937& random, int n) {
    std::string d;
    for (int k = 0; k < n; ++k)
        d += static_cast<char>('0' + random() % 10);
    return d;
}

// `text` whole, or (one time in three) with one character changed, dropped or added.
std::string Damaged(std::mt19937& random, std::string text, const std::string& noise) {
    if (random() % 3 != 0 || text.empty())
        return text;
    const std::size_t at = random() % text.size();
    switch (random() % 3) {
    case 0:
        text[at] = noise[random() % noise.size()];
        break;
    case 1:
        text.erase(at, 1);
        break;
    default:
        text.insert(at, 1, noise[random() % noise.size()]);
    }
    return text;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.erase(0, 1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

std::vector<std::string> SplitCommas(const std::string& text) {
    std::vector<std::string> fields(1);
    for (char c : text) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

// --- ASS/SSA ---

// An event time by its rule: optional "-", one or more hour digits, two minute and two second
// digits, "." and two or three digits; nullopt for any other text or a value beyond the table's.
std::optional<long long> AssTime(const std::string& text) {
    static const std::regex rule(R"((-?)(\d+):(\d\d):(\d\d)\.(\d\d\d?))");
    std::smatch m;
    if (!std::regex_match(text, m, rule) || m[2].length() > 12)
        return std::nullopt;
    long long v = std::stoll(m[2]) * 3600000 + std::stoll(m[3]) * 60000 + std::stoll(m[4]) * 1000 +
                  std::stoll(m[5]) * (m[5].length() == 2 ? 10 : 1);
    v = m[1].length() > 0 ? -v : v;
    if (v < -kMaxTimeValue || v > kMaxTimeValue)
        return std::nullopt;
    return v;
}

struct AssScript {
    Lines lines;
    int start = 0, end = 0;   // the columns of Start and End
    std::size_t firstEvent{}; // the line after the Format line
};

AssScript RandomScript(std::mt19937& random) {
    AssScript s;
    std::vector<std::string> names = {"Layer", "Start", "End", "Style", "Name"};
    std::shuffle(names.begin(), names.end(), random);
    const bool text = random() % 4 != 0; // else a time may be the last field
    if (text)
        names.push_back("Text");
    std::string format = "Format:";
    for (std::size_t k = 0; k < names.size(); ++k) {
        format += (k > 0 ? ", " : " ") + names[k];
        if (names[k] == "Start")
            s.start = static_cast<int>(k);
        if (names[k] == "End")
            s.end = static_cast<int>(k);
    }
    s.lines = {"[Script Info]", "ScriptType: v4.00+", "", "[Events]", format};
    s.firstEvent = s.lines.size();
    const std::string noise = "0123456789:.,- ab";
    auto time = [&] {
        const int hourDigits =
            1 + static_cast<int>(random() % 4 == 0 ? random() % 4 : random() % 2);
        std::string t = (random() % 16 == 0 ? "-" : "") + Digits(random, hourDigits) + ":" +
                        Digits(random, 2) + ":" + Digits(random, 2) + "." +
                        Digits(random, random() % 6 == 0 ? 3 : 2);
        if (random() % 8 == 0)
            t = " " + t + "\t";
        // Damage is rare enough for most scripts to run some way before their first fault.
        return random() % 20 == 0 ? Damaged(random, t, noise) : t;
    };
    const int events = 1 + static_cast<int>(random() % 12);
    for (int e = 0; e < events; ++e) {
        std::vector<std::string> fields(names.size());
        for (std::size_t k = 0; k < names.size(); ++k)
            fields[k] = static_cast<int>(k) == s.start || static_cast<int>(k) == s.end
                            ? time()
                            : Digits(random, static_cast<int>(random() % 3));
        if (text)
            fields.back() = "text, with {\\i1}commas{\\i0}";
        std::string line = random() % 4 == 0 ? "Comment: " : "Dialogue: ";
        for (std::size_t k = 0; k < fields.size(); ++k)
            line += (k > 0 ? "," : "") + fields[k];
        if (random() % 40 == 0) // cut short: a field or more missing
            line.resize(line.size() / 3);
        s.lines.push_back(line);
    }
    return s;
}

// Fast and plain readings of random scripts agree: the first faulty line or the same table, and
// after re-timing only the time fields changed, each to text that reads as its new value.
TEST(AssTimeFields, ReadAndRewrittenAsTheirRuleSays) {
    std::mt19937 random(23);
    int damagedScripts = 0;
    for (int round = 0; round < 3000; ++round) {
        const AssScript s = RandomScript(random);
        std::vector<long long> starts, ends;
        std::vector<bool> events(s.lines.size());
        std::optional<std::size_t> fault;
        for (std::size_t i = s.firstEvent; i < s.lines.size() && !fault; ++i) {
            const std::string& line = s.lines[i];
            events[i] = line.starts_with("Dialogue:") || line.starts_with("Comment:");
            if (!events[i])
                continue;
            const std::vector<std::string> fields = SplitCommas(line.substr(line.find(':') + 1));
            const int need = std::max(s.start, s.end);
            std::optional<long long> start, end;
            if (static_cast<int>(fields.size()) > need) {
                start = AssTime(Trimmed(fields[static_cast<std::size_t>(s.start)]));
                end = AssTime(Trimmed(fields[static_cast<std::size_t>(s.end)]));
            }
            if (!start || !end)
                fault = i;
            else
                starts.push_back(*start), ends.push_back(*end);
        }
        SubtitleDocument doc = Open(s.lines);
        if (fault) {
            ++damagedScripts;
            ASSERT_EQ(doc.SubtitleFormat, sfDamaged) << round;
            ASSERT_EQ(doc.ErrorLines[erASS], static_cast<std::int32_t>(*fault)) << round;
            continue;
        }
        ASSERT_EQ(doc.SubtitleFormat, sfASS) << round;
        ASSERT_EQ(doc.SubtitleCount, starts.size()) << round;
        for (std::size_t k = 0; k < starts.size(); ++k) {
            ASSERT_EQ(doc.start(k), starts[k]) << round << " " << k;
            ASSERT_EQ(doc.end(k), ends[k]) << round << " " << k;
        }
        // Re-timed: whole hundredths, some times moving to more hour digits.
        auto newStarts = doc.TimingTable[0];
        auto newEnds = doc.TimingTable[1];
        const long long shift = static_cast<long long>(random() % 2000000) * 10;
        for (std::size_t k = 0; k < newStarts.size(); ++k) {
            newStarts[k] = RoundToUnit(starts[k] / 2, 10) + shift;
            newEnds[k] = RoundToUnit(ends[k] / 2, 10) + shift;
        }
        NoProgress progress;
        WriteTimingLines(doc, newStarts, newEnds, progress);
        std::size_t k = 0;
        for (std::size_t i = 0; i < s.lines.size(); ++i) {
            const std::string now(doc.SubtitleLines[i]);
            if (!events[i]) {
                ASSERT_EQ(now, s.lines[i]);
                continue;
            }
            const std::size_t colon = now.find(':');
            ASSERT_EQ(now.substr(0, colon), s.lines[i].substr(0, colon));
            const std::vector<std::string> before = SplitCommas(s.lines[i].substr(colon + 1)),
                                           after = SplitCommas(now.substr(colon + 1));
            ASSERT_EQ(before.size(), after.size()) << now;
            for (std::size_t f = 0; f < before.size(); ++f) {
                const bool isStart = f == static_cast<std::size_t>(s.start);
                if (!isStart && f != static_cast<std::size_t>(s.end)) {
                    ASSERT_EQ(after[f], before[f]) << now;
                    continue;
                }
                ASSERT_EQ(AssTime(Trimmed(after[f])), isStart ? newStarts[k] : newEnds[k]) << now;
                // The blanks around a time stay.
                ASSERT_EQ(after[f].find_first_not_of(" \t"), before[f].find_first_not_of(" \t"));
                ASSERT_EQ(after[f].size() - after[f].find_last_not_of(" \t"),
                          before[f].size() - before[f].find_last_not_of(" \t"));
            }
            ++k;
        }
    }
    EXPECT_GT(damagedScripts, 100);
}

// --- WebVTT ---

// A timestamp's rule: optional hours (1 to 12 digits, within the table) and ":", two minute and two
// second digits, "." and three digits, no digit after them.
const char* const kTimestamp = R"((?:(\d{1,12}):)?(\d\d):(\d\d)\.(\d\d\d)(?!\d))";

std::optional<long long> VttValue(const std::smatch& m, std::size_t group) {
    const long long hours = m[group].matched ? std::stoll(m[group]) : 0;
    const long long v = hours * 3600000 + std::stoll(m[group + 1]) * 60000 +
                        std::stoll(m[group + 2]) * 1000 + std::stoll(m[group + 3]);
    if (v > kMaxTimeValue)
        return std::nullopt;
    return v;
}

std::string VttTime(std::mt19937& random) {
    const int hourDigits = random() % 3 == 0 ? 0 : 1 + static_cast<int>(random() % 3);
    std::string t = (hourDigits > 0 ? Digits(random, hourDigits) + ":" : "") + Digits(random, 2) +
                    ":" + Digits(random, 2) + "." + Digits(random, 3);
    return random() % 20 == 0 ? Damaged(random, t, "0123456789:. a") : t;
}

TEST(WebVttTimeFields, ReadAndRewrittenAsTheirRuleSays) {
    const std::regex timing(std::string("^") + kTimestamp + "[ \t]*-->[ \t]*" + kTimestamp);
    const std::regex tag(std::string("<") + kTimestamp + ">");
    std::mt19937 random(2323);
    int damaged = 0, tags = 0;
    for (int round = 0; round < 3000; ++round) {
        Lines lines = {"WEBVTT", ""};
        std::vector<std::size_t> timingLines;
        const int cues = 1 + static_cast<int>(random() % 10);
        for (int c = 0; c < cues; ++c) {
            timingLines.push_back(lines.size());
            // Settings that look like a tag are no tag: the timing line ends a cue's text.
            const char* const settings[] = {"", " line:0", " <00:01.000>"};
            lines.push_back(VttTime(random) + (random() % 2 ? " --> " : "\t-->") + VttTime(random) +
                            settings[random() % 3]);
            lines.push_back("text <i>a</i>" +
                            (random() % 3 == 0 ? "<" + VttTime(random) + ">b" : ""));
            if (random() % 3 != 0) // else the next timing line follows the text at once
                lines.push_back("");
        }
        std::vector<long long> starts, ends;
        std::optional<std::size_t> fault;
        for (std::size_t i : timingLines) {
            std::smatch m;
            std::optional<long long> start, end;
            if (std::regex_search(lines[i], m, timing))
                start = VttValue(m, 1), end = VttValue(m, 5);
            if (!start || !end) {
                fault = i;
                break;
            }
            starts.push_back(*start), ends.push_back(*end);
        }
        SubtitleDocument doc = Open(lines);
        if (fault) {
            ++damaged;
            ASSERT_EQ(doc.SubtitleFormat, sfDamaged) << round;
            ASSERT_EQ(doc.ErrorLines[erWebVTT], static_cast<std::int32_t>(*fault)) << round;
            continue;
        }
        ASSERT_EQ(doc.SubtitleFormat, sfWebVTT) << round;
        ASSERT_EQ(doc.SubtitleCount, starts.size());
        for (std::size_t k = 0; k < starts.size(); ++k) {
            ASSERT_EQ(doc.start(k), starts[k]) << lines[timingLines[k]];
            ASSERT_EQ(doc.end(k), ends[k]) << lines[timingLines[k]];
        }
        // Re-timed, the tags through the same shift: only the times change, each reads as its
        // new value. (Rounds whose times would pass the table's limit are left at reading.)
        const long long shift = static_cast<long long>(random() % 4000000);
        bool fits = true;
        for (const std::string& line : lines)
            for (std::sregex_iterator m(line.begin(), line.end(), tag), e; m != e; ++m)
                fits = fits && VttValue(*m, 1).value_or(0) + shift <= kMaxTimeValue;
        for (std::size_t k = 0; k < starts.size(); ++k)
            fits = fits && std::max(starts[k], ends[k]) + shift <= kMaxTimeValue;
        if (!fits)
            continue;
        auto newStarts = doc.TimingTable[0];
        auto newEnds = doc.TimingTable[1];
        for (std::size_t k = 0; k < newStarts.size(); ++k) {
            newStarts[k] = starts[k] + shift;
            newEnds[k] = ends[k] + shift;
        }
        NoProgress progress;
        WriteTimingLines(doc, newStarts, newEnds, progress);
        FindFormat(sfWebVTT)->mapInlineTimes(
            doc, [shift](std::int64_t v) { return v + shift; }, true);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string now(doc.SubtitleLines[i]);
            const bool isTiming =
                std::find(timingLines.begin(), timingLines.end(), i) != timingLines.end();
            const std::regex& field = isTiming ? timing : tag;
            std::smatch before, after;
            if (!std::regex_search(lines[i], before, field) || !VttValue(before, 1)) {
                ASSERT_EQ(now, lines[i]);
                continue;
            }
            ASSERT_TRUE(std::regex_search(now, after, field)) << now;
            ASSERT_EQ(after.prefix().str(), before.prefix().str());
            ASSERT_EQ(after.suffix().str(), before.suffix().str());
            ASSERT_EQ(VttValue(after, 1), *VttValue(before, 1) + shift) << now;
            if (isTiming) {
                ASSERT_EQ(VttValue(after, 5), *VttValue(before, 5) + shift) << now;
            } else {
                ++tags;
            }
            // Hours stay where the field had them.
            ASSERT_TRUE(!before[1].matched || after[1].length() >= before[1].length()) << now;
        }
    }
    EXPECT_GT(damaged, 100);
    EXPECT_GT(tags, 300);
}

// A field with many hour digits keeps them all when it is rewritten.
TEST(WebVttTimeFields, KeepTwelveHourDigits) {
    SubtitleDocument doc = Open({"WEBVTT", "", "000000000001:00:00.000 --> 000000000001:00:01.000",
                                 "a <000000000001:00:00.500>b"});
    ASSERT_EQ(doc.SubtitleFormat, sfWebVTT);
    auto starts = doc.TimingTable[0];
    auto ends = doc.TimingTable[1];
    starts[0] += 1000, ends[0] += 1000;
    NoProgress progress;
    WriteTimingLines(doc, starts, ends, progress);
    FindFormat(sfWebVTT)->mapInlineTimes(
        doc, [](std::int64_t v) { return v + 1000; }, true);
    EXPECT_EQ(doc.SubtitleLines[2], "000000000001:00:01.000 --> 000000000001:00:02.000");
    EXPECT_EQ(doc.SubtitleLines[3], "a <000000000001:00:01.500>b");
}

// --- The open clock ---

// The clock's rule written with printf: the magnitude rounded once to the fraction (ties to
// even), a "-" unless it rounds to 0, the hours padded to `hourDigits`.
std::string PlainOpenClock(long long value, int hourDigits, int fractionDigits) {
    const long long unit = fractionDigits == 1 ? 100 : fractionDigits == 2 ? 10 : 1;
    const long long units = RoundToUnit(value < 0 ? -value : value, unit) / unit;
    const long long perSecond = 1000 / unit, seconds = units / perSecond;
    char text[64];
    std::snprintf(text, sizeof text, "%s%0*lld:%02lld:%02lld.%0*lld",
                  value < 0 && units != 0 ? "-" : "", hourDigits, seconds / 3600, seconds / 60 % 60,
                  seconds % 60, fractionDigits, units % perSecond);
    return text;
}

TEST(OpenClock, WritesWhatItsRuleSays) {
    std::mt19937 random(7);
    const long long edges[] = {0,         5,         9999,      35999990,  35999995,
                               36000000,  359999990, 359999999, 360000000, INT32_MAX,
                               INT32_MIN, -10,       -5};
    for (int round = 0; round < 200000; ++round) {
        long long value = 0;
        switch (round % 4) {
        case 0:
            value = edges[random() % std::size(edges)] + static_cast<int>(random() % 21) - 10;
            break;
        case 1: // whole hundredths under 100 hours, as re-timing writes them
            value = static_cast<long long>(random() % 36000000) * 10;
            break;
        default:
            value = static_cast<std::int32_t>(random());
        }
        const int hourDigits = static_cast<int>(random() % 5);
        const int fractionDigits = 1 + static_cast<int>(random() % 3);
        char out[64];
        char* end = FormatOpenClock(out, value, hourDigits, fractionDigits);
        ASSERT_EQ(std::string(out, static_cast<std::size_t>(end - out)),
                  PlainOpenClock(value, hourDigits, fractionDigits))
            << value << " " << hourDigits << " " << fractionDigits;
    }
}

} // namespace
} // namespace velkar
