#include "document/Detection.h"
#include "document/LineTests.h"
#include "document/Opening.h"
#include "document/Report.h"

#include <gtest/gtest.h>
#include <string_view>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;

struct Detected {
    SubtitleDocument doc;
    Detection detection;
};

Detected Detect(Lines lines) {
    Detected d;
    d.doc.SubtitleLines = std::move(lines);
    NoProgress progress;
    d.detection = Recognise(d.doc, progress);
    return d;
}

const std::string kSrtTime = "00:00:01,000 --> 00:00:02,000";
const std::string kSubTime = "00:00:01.00,00:00:02.00";

TEST(LineTests, MicroDVDBracePairs) {
    EXPECT_TRUE(IsMicroDVDLine(""));
    EXPECT_TRUE(IsMicroDVDLine("{10}{20}Hello"));
    EXPECT_TRUE(IsMicroDVDLine("{1}{2}"));
    EXPECT_TRUE(IsMicroDVDLine("a{1}{2}"));
    // The second field must open right after the first closes.
    EXPECT_FALSE(IsMicroDVDLine("{500}600}Text"));
    EXPECT_FALSE(IsMicroDVDLine("{500} {600}Text"));
    EXPECT_FALSE(IsMicroDVDLine("}x}"));
    EXPECT_FALSE(IsMicroDVDLine("{10}"));
    EXPECT_FALSE(IsMicroDVDLine("Hello"));
    EXPECT_FALSE(IsMicroDVDLine("}{10}{"));
}

TEST(LineTests, TimeLineLayoutsChosenByLength) {
    EXPECT_TRUE(IsTimeLine(kSrtTime));
    EXPECT_TRUE(IsTimeLine(kSrtTime + "  X1:010 X2:710"));
    EXPECT_TRUE(IsTimeLine("ab:cd:ef,ghi --> jk:lm:no,p")); // only separators are tested
    EXPECT_TRUE(IsTimeLine(kSubTime));
    EXPECT_FALSE(IsTimeLine("00:00:01.000 --> 00:00:02,000")); // "." before milliseconds
    EXPECT_FALSE(IsTimeLine("00:00:01,00 --> 00:00:02,000"));  // two millisecond digits
    EXPECT_FALSE(IsTimeLine("00:00:01,000 --> 00:00:0"));      // shorter than 26
    EXPECT_FALSE(IsTimeLine("00:00:01,00,00:00:02.00"));       // 23 long, "," at 9
    EXPECT_FALSE(IsTimeLine("0::00:01,000 --> 00:00:02,000")); // a ":" before position 3
    EXPECT_FALSE(IsTimeLine(""));
}

// The time-line rule as stated: each separator at its place, and the first of its kind after
// the separator before it.
bool TimeLineByRule(std::string_view t) {
    using Layout = std::vector<std::pair<std::string_view, std::size_t>>;
    static const Layout subViewer{{":", 3},  {":", 6},  {".", 9}, {",", 12},
                                  {":", 15}, {":", 18}, {".", 21}};
    static const Layout subRip{{":", 3},  {":", 6},  {",", 9}, {" --> ", 13},
                               {":", 20}, {":", 23}, {",", 26}};
    if (t.size() != 23 && t.size() < 26)
        return false;
    std::size_t from = 0;
    for (const auto& [separator, place] : t.size() == 23 ? subViewer : subRip) {
        if (t.find(separator, from) != place - 1)
            return false;
        from = place - 1 + separator.size();
    }
    return true;
}

TEST(LineTests, TimeLinesWithAnyOneCharacterChanged) {
    // Plain time lines are recognised by a shortcut; every change to one must still be judged
    // by the rule, digits' neighbours ("/", ":", ";", "?", "@") and separators included.
    const std::string changes = "/09:;?@,. ->a\x80\xB9";
    for (const std::string& line : {kSrtTime, kSubTime, kSrtTime + " X1:1"}) {
        for (std::size_t k = 0; k < line.size(); ++k) {
            for (char c : changes) {
                std::string changed = line;
                changed[k] = c;
                EXPECT_EQ(IsTimeLine(changed), TimeLineByRule(changed)) << changed;
            }
        }
    }
}

TEST(LineTests, IntegerLines) {
    EXPECT_TRUE(IsIntegerLine("12"));
    EXPECT_TRUE(IsIntegerLine("  -3"));
    EXPECT_FALSE(IsIntegerLine("12 "));
    EXPECT_FALSE(IsIntegerLine("\xE2\x80\x8F"
                               "1")); // a right-to-left mark before the counter
}

TEST(MicroDVDDetection, EmptyDocumentAndBlankLinesAreMicroDVD) {
    EXPECT_EQ(Detect({}).detection.format, sfMicroDVD);
    EXPECT_EQ(Detect({"", "", ""}).detection.format, sfMicroDVD);
    EXPECT_EQ(Detect({"{1}{2}a", "", "{3}{4}b"}).detection.format, sfMicroDVD);
}

TEST(MicroDVDDetection, BracesBeyondTheShortStringAreNotSeen) {
    EXPECT_EQ(Detect({std::string(255, 'a') + "{1}{2}"}).detection.format, sfUnknown);
    EXPECT_EQ(Detect({std::string(240, 'a') + "{1}{2}"}).detection.format, sfMicroDVD);
}

TEST(SubViewerDetection, StrictBlocksAfterTheTag) {
    auto d = Detect({"[INFORMATION]", "[subtitle]", "style", kSubTime, "one", "", kSubTime, "two",
                     "", kSubTime, "three"});
    EXPECT_EQ(d.detection.format, sfSubViewer2);
    // The header fails the MicroDVD check at line 0: recorded, though the line number is 0.
    EXPECT_TRUE(d.detection.recorded[erMicroDVD]);
    EXPECT_EQ(d.doc.ErrorLines[erMicroDVD], 0);
    EXPECT_EQ(d.doc.ErrorTexts[erMicroDVD], "(Line:1)\n\r[INFORMATION]");
}

TEST(SubViewerDetection, TwoLineTextFailsAtTheSecondTextLine) {
    auto d = Detect({"[SUBTITLE]", "style", kSubTime, "one", "more", "", kSubTime, "two", "", "x"});
    EXPECT_NE(d.detection.format, sfSubViewer2);
    EXPECT_EQ(d.doc.ErrorLines[erSubViewer2], 4);
    EXPECT_EQ(d.doc.ErrorTexts[erSubViewer2], "(Line:5)\n\rmore");
}

TEST(SubViewerDetection, TagWithLeadingBlankIsNotFound) {
    auto d = Detect({" [SUBTITLE]", "style", kSubTime, "one", "", kSubTime, "two", "", "x"});
    EXPECT_NE(d.detection.format, sfSubViewer2);
    EXPECT_FALSE(d.detection.recorded[erSubViewer2]);
}

TEST(SubViewerDetection, TagAmongTheLastThreeLinesPassesUntested) {
    EXPECT_EQ(Detect({"junk", "more junk", "", "[SUBTITLE]", "x", "y"}).detection.format,
              sfSubViewer2);
}

TEST(SubRipDetection, BlocksFromTheFirstLine) {
    auto d = Detect({"1", kSrtTime, "Hello", "World", "", "2", kSrtTime, "Bye", ""});
    EXPECT_EQ(d.detection.format, sfSubRip);
}

TEST(SubRipDetection, TheEndOfTheFileClosesTheLastBlockLikeAnEmptyLine) {
    auto broken = Detect({"1", kSrtTime, "Hello", "", "2", "broken time", "Bye"});
    EXPECT_EQ(broken.detection.format, sfDamaged);
    EXPECT_EQ(broken.doc.ErrorLines[erSubRip], 5);
    EXPECT_EQ(Detect({"1", kSrtTime, "Hello", "", "2", kSrtTime, "Bye"}).detection.format,
              sfSubRip);
    // Empty lines that end the file close it; a block cut short does not.
    EXPECT_EQ(Detect({"1", kSrtTime, "Hello", "", "", ""}).detection.format, sfSubRip);
    auto noText = Detect({"1", kSrtTime, "Hello", "", "2", kSrtTime});
    EXPECT_EQ(noText.detection.format, sfDamaged);
    EXPECT_EQ(noText.doc.ErrorLines[erSubRip], 5);
    auto noTime = Detect({"1", kSrtTime, "Hello", "", "2"});
    EXPECT_EQ(noTime.detection.format, sfDamaged);
    EXPECT_EQ(noTime.doc.ErrorLines[erSubRip], 4);
}

TEST(SubRipDetection, ShortFilesAndFilesWithoutEmptyLinesAreTestedToo) {
    EXPECT_EQ(Detect({"Hello"}).detection.format, sfUnknown);
    EXPECT_EQ(Detect({"Hello", "World"}).detection.format, sfUnknown);
    EXPECT_EQ(Detect({"a", "b", "c", "d"}).detection.format, sfUnknown);
    // A MicroDVD file with one broken line is damaged there, no longer an empty SubRip file.
    auto microDVD = Detect({"{1}{2}a", "{3}{4}b", "{5}6}c", "{7}{8}d"});
    EXPECT_EQ(microDVD.detection.format, sfDamaged);
    EXPECT_EQ(microDVD.doc.ErrorLines[erMicroDVD], 2);
    EXPECT_EQ(MostLikelyFormat(microDVD.doc), erMicroDVD);
}

TEST(SubRipDetection, FailuresNameTheFaultyLine) {
    // A leading empty line fails the counter test at line 0.
    auto leading = Detect({"", "1", kSrtTime, "Hi", "", "2", kSrtTime, "Yo", ""});
    EXPECT_EQ(leading.detection.format, sfDamaged); // MicroDVD failed further in, at line 1
    EXPECT_EQ(leading.doc.ErrorLines[erMicroDVD], 1);
    EXPECT_TRUE(leading.detection.recorded[erSubRip]);
    EXPECT_EQ(leading.doc.ErrorLines[erSubRip], 0);

    auto dotMillis =
        Detect({"1", kSrtTime, "Hi", "", "2", "00:00:03.000 --> 00:00:04,000", "Yo", "", "3"});
    EXPECT_EQ(dotMillis.detection.format, sfDamaged);
    EXPECT_EQ(dotMillis.doc.ErrorLines[erSubRip], 5);
    EXPECT_EQ(dotMillis.doc.ErrorTexts[erSubRip], "(Line:6)\n\r00:00:03.000 --> 00:00:04,000");

    // A second empty line makes the next counter test fail.
    auto doubleBlank = Detect({"1", kSrtTime, "Hi", "", "", "2", kSrtTime, "Yo", "", "x"});
    EXPECT_EQ(doubleBlank.doc.ErrorLines[erSubRip], 4);
}

TEST(SubRipDetection, BlockWithoutTextNamesItsThirdLine) {
    auto d = Detect({"1", kSrtTime, "Hi", "", "2", kSrtTime, "", "3", kSrtTime, "x", "", "y"});
    EXPECT_EQ(d.detection.format, sfDamaged);
    EXPECT_EQ(d.doc.ErrorLines[erSubRip], 6);
    EXPECT_EQ(d.doc.ErrorTexts[erSubRip], "(Line:7)\n\r");
}

TEST(Detection, AllChecksFailingIsDamagedOnlyWithALineAboveZero) {
    auto unknown = Detect({"Hello", "", "World", "", "x"});
    EXPECT_EQ(unknown.detection.format, sfUnknown);
    EXPECT_EQ(unknown.doc.ErrorLines[erSubViewer2], 0); // no "[SUBTITLE]": no record
    EXPECT_FALSE(unknown.detection.recorded[erSubViewer2]);

    auto damaged = Detect({"{1}{2}a", "{3}{4}b", "oops", "", "x"});
    EXPECT_EQ(damaged.detection.format, sfDamaged);
    EXPECT_EQ(damaged.doc.ErrorLines[erMicroDVD], 2);
    EXPECT_EQ(damaged.doc.ErrorTexts[erMicroDVD], "(Line:3)\n\roops");
}

TEST(Detection, ErrorTextIsCutTo255Characters) {
    auto d = Detect({"{1}{2}a", std::string(400, 'z'), "", "x"});
    EXPECT_EQ(d.doc.ErrorTexts[erMicroDVD].size(), 255u);
    EXPECT_EQ(d.doc.ErrorTexts[erMicroDVD].substr(0, 10), "(Line:2)\n\r");
}

TEST(Detection, ChecksThatPassOrDoNotRunLeaveTheirRecordsAlone) {
    SubtitleDocument doc;
    doc.ErrorTexts = {"old0", "old1", "old2"};
    doc.SubtitleLines = {"{1}{2}a"};
    NoProgress progress;
    Recognise(doc, progress);
    EXPECT_EQ(doc.ErrorTexts[erSubViewer2], "old1");
    EXPECT_EQ(doc.ErrorTexts[erSubRip], "old2");
}

class RecordingProgress : public Progress {
  public:
    void setMaximum(int m) override { maxima.push_back(m); }
    void setPosition(int p) override { last = p; }
    std::vector<int> maxima;
    int last = -1;
};

TEST(Detection, ProgressEndsAtZero) {
    SubtitleDocument doc;
    doc.SubtitleLines = {"1", kSrtTime, "Hi", "", "2", kSrtTime, "Yo", ""};
    RecordingProgress progress;
    Recognise(doc, progress);
    EXPECT_EQ(progress.last, 0);
    EXPECT_EQ(progress.maxima, (std::vector<int>{8, 8}));
}

} // namespace
} // namespace velkar
