// Fix Synch on generated documents of every format and size, with random anchors and times:
// every start and end lands on the exact straight line rounded once (0 units off), or moves by
// the exact shift when the span is within the tolerance; no byte but the timing fields changes.

#include "TestSupport.h"
#include "sync/ExactLine.h"

#include "document/Errors.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/TimeCode.h"
#include "sync/FixSynch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;

struct Case {
    SubtitleFormat format;
    int count;
    unsigned seed;
};

std::string Text(std::mt19937& random, int k) {
    static const char* words[] = {"Hello", "there", "caf\xC3\xA9", "\xE1\xBC\x80", "x", "{y:i}"};
    std::string text = "line " + std::to_string(k);
    for (unsigned w = random() % 4; w > 0; --w)
        text += std::string(" ") + words[random() % 6];
    return text;
}

// Starts and ends under 20 hours, in frames or in milliseconds, some overlapping.
std::vector<std::pair<std::int32_t, std::int32_t>> Times(std::mt19937& random, int count,
                                                         std::int32_t unit) {
    std::vector<std::pair<std::int32_t, std::int32_t>> times;
    const std::int32_t maxStep = std::max<std::int32_t>(2, 60000000 / count / unit);
    std::int32_t t = 3600000 / unit + static_cast<std::int32_t>(random() % 1000);
    for (int i = 0; i < count; ++i) {
        std::int32_t length = 1 + static_cast<std::int32_t>(random() % (maxStep + 1));
        std::int32_t start = t;
        if (i > 0 && random() % 10 == 0)
            start = std::max<std::int32_t>(0, t - length / 2); // overlap the previous one
        times.push_back({start, start + length});
        t = start + 1 + static_cast<std::int32_t>(random() % maxStep);
    }
    return times;
}

Lines Generate(const Case& generated, std::mt19937& random) {
    Lines lines;
    if (generated.format == sfMicroDVD) {
        for (auto [s, e] : Times(random, generated.count, 40)) {
            lines.push_back("{" + std::to_string(s) + "}{" + std::to_string(e) + "}" +
                            Text(random, static_cast<int>(lines.size())));
            if (random() % 20 == 0)
                lines.push_back(""); // blank lines between subtitles are allowed
        }
    } else if (generated.format == sfSubRip) {
        int k = 0;
        for (auto [s, e] : Times(random, generated.count, 1)) {
            lines.push_back(std::to_string(random() % 3 == 0 ? 1000 - k : k + 1));
            std::string time = TimeToText(sfSubRip, s) + " --> " + TimeToText(sfSubRip, e);
            if (random() % 10 == 0)
                time += "  X1:010 X2:710";
            lines.push_back(time);
            for (unsigned t = 1 + random() % 3; t > 0; --t)
                lines.push_back(Text(random, k));
            lines.push_back("");
            ++k;
        }
    } else {
        lines = {"[INFORMATION]", "[TITLE]Generated",
                 "[AUTHOR]",      "[SOURCE]",
                 "[PRG]",         "[FILEPATH]",
                 "[DELAY]0",      "[CD TRACK]0",
                 "[COMMENT]",     "[END INFORMATION]",
                 "[SUBTITLE]",    "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial"};
        int k = 0;
        for (auto [s, e] : Times(random, generated.count, 10)) {
            lines.push_back(TimeToText(sfSubViewer2, s * 10) + "," +
                            TimeToText(sfSubViewer2, e * 10));
            lines.push_back(Text(random, k++) + "[br]second");
            if (k < generated.count)
                lines.push_back("");
        }
    }
    return lines;
}

// What may differ in a timing line: the fields before this many characters (or braces).
std::string Rest(SubtitleFormat format, std::string_view line) {
    if (format == sfMicroDVD) {
        auto first = line.find('}');
        return std::string(line.substr(line.find('}', first + 1) + 1));
    }
    const std::size_t width = format == sfSubRip ? 29 : 23;
    return line.size() > width ? std::string(line.substr(width)) : std::string();
}

class GeneratedDocuments : public testing::TestWithParam<Case> {};

TEST_P(GeneratedDocuments, FixSynchHitsTheAnchorsAndChangesOnlyTimingFields) {
    const Case generated = GetParam();
    std::mt19937 random(generated.seed);
    const Lines input = Generate(generated, random);
    SubtitleDocument doc = test::OpenLines(input);
    ASSERT_EQ(doc.SubtitleFormat, generated.format);
    ASSERT_EQ(doc.SubtitleCount, generated.count);

    const SubtitleFormat f = generated.format;
    for (int round = 0; round < 3; ++round) {
        doc.FirstAnchor = static_cast<std::int32_t>(random() % generated.count);
        doc.LastAnchor = static_cast<std::int32_t>(random() % generated.count);
        // Typed times: a stretch of a few percent and a shift, kept inside the day.
        // Round 1 only shifts, round 2 types the anchors' own times.
        const long double ratio = round > 0 ? 1.0L : 0.95L + (random() % 1000) / 10000.0L;
        const std::int32_t shift =
            round == 2 ? 0 : static_cast<std::int32_t>(random() % 2001) - 1000;
        auto typed = [&](std::int32_t v) {
            std::int32_t t = static_cast<std::int32_t>(std::llround(v * ratio)) + shift;
            return f == sfSubViewer2 ? t / 10 * 10 : t;
        };
        const std::int32_t first = typed(doc.start(doc.FirstAnchor));
        const std::int32_t last = typed(doc.start(doc.LastAnchor));
        const int toleranceIndex = static_cast<int>(random() % 6);
        const Lines before = doc.SubtitleLines.strings();
        const auto tableBefore = doc.TimingTable;
        const std::int64_t x1 = doc.start(doc.FirstAnchor);
        const std::int64_t span = static_cast<std::int64_t>(doc.start(doc.LastAnchor)) - x1;

        NoProgress progress;
        SynchOutcome outcome;
        try {
            outcome =
                FixSynch(doc, TimeToText(f, first), TimeToText(f, last), toleranceIndex, progress);
        } catch (const VelkarError&) {
            // Equal anchors divide by zero; a time pushed out of the day has no text. Either
            // way nothing changed.
            EXPECT_EQ(doc.SubtitleLines, before);
            EXPECT_EQ(doc.TimingTable, tableBefore);
            continue;
        }
        EXPECT_EQ(doc.start(doc.FirstAnchor), first);
        const std::int64_t typedSpan = static_cast<std::int64_t>(last) - first;
        __int128 scaled = std::llabs(typedSpan - span);
        for (int k = 0; k < toleranceIndex + 3; ++k)
            scaled *= 10;
        const bool within = scaled <= std::llabs(typedSpan);
        ASSERT_EQ(outcome.kind, !within       ? SynchKind::Stretched
                                : first == x1 ? SynchKind::InPlace
                                              : SynchKind::Shifted);
        if (!within) {
            EXPECT_EQ(doc.start(doc.LastAnchor), last);
        }
        for (int row = 0; row < 2; ++row) {
            for (std::size_t i = 0; i < doc.SubtitleCount; ++i) {
                const std::int64_t v = tableBefore[row][i], now = doc.TimingTable[row][i];
                if (within) {
                    ASSERT_EQ(now, v + first - x1);
                } else {
                    ASSERT_TRUE(test::OnTheLine(v, now, x1, first, typedSpan, span,
                                                f == sfSubViewer2 ? 10 : 1));
                }
            }
        }
        ASSERT_EQ(doc.SubtitleLines.size(), input.size());
        std::vector<bool> timing(input.size(), false);
        for (std::size_t i = 0; i < doc.SubtitleCount; ++i) {
            const std::size_t line = static_cast<std::size_t>(doc.SubtitleLineIndex[i]);
            timing[line] = true;
            EXPECT_EQ(Rest(f, doc.SubtitleLines[line]), Rest(f, input[line]));
            if (f == sfSubRip) {
                timing[line - 1] = true;
                EXPECT_EQ(doc.SubtitleLines[line - 1], std::to_string(i + 1));
            }
        }
        for (std::size_t line = 0; line < input.size(); ++line) {
            if (!timing[line]) {
                ASSERT_EQ(doc.SubtitleLines[line], input[line]) << "line " << line;
            }
        }

        // The lines read back as the table (to the hundredth for SubViewer 2.0).
        SubtitleDocument reread = test::OpenLines(doc.SubtitleLines);
        ASSERT_EQ(reread.SubtitleCount, doc.SubtitleCount);
        for (std::size_t i = 0; i < doc.SubtitleCount; ++i) {
            ASSERT_NEAR(reread.start(i), doc.start(i), f == sfSubViewer2 ? 5 : 0);
            ASSERT_NEAR(reread.end(i), doc.end(i), f == sfSubViewer2 ? 5 : 0);
        }
    }
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    unsigned seed = 1;
    for (SubtitleFormat f : {sfMicroDVD, sfSubRip, sfSubViewer2})
        for (int count : {1, 2, 3, 17, 250, 4000, 65535})
            cases.push_back({f, count, seed++});
    return cases;
}

std::string CaseName(const testing::TestParamInfo<Case>& info) {
    const char* names[] = {"", "MicroDVD", "SubRip", "SubViewer2"};
    return std::string(names[info.param.format]) + "_" + std::to_string(info.param.count);
}

INSTANTIATE_TEST_SUITE_P(Sizes, GeneratedDocuments, testing::ValuesIn(Cases()), CaseName);

} // namespace
} // namespace velkar
