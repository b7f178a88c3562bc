// Mending, one fault kind at a time and all together, on small made-up files.
#include "document/Mending.h"
#include "document/Detection.h"
#include "document/LineIo.h"

#include <gtest/gtest.h>

namespace velkar {
namespace {

constexpr const char* kTime = "00:00:01,000 --> 00:00:02,000";
constexpr const char* kTime2 = "00:00:03,000 --> 00:00:04,000";
constexpr const char* kSubTime = "00:00:01.00,00:00:02.00";
constexpr const char* kSubTime2 = "00:00:03.00,00:00:04.00";
const std::string kRlm = "\xE2\x80\x8F"; // U+200F

struct MendCase {
    const char* name;
    std::vector<std::string> file;
    std::vector<std::string> mended; // empty: cannot be mended
    const char* list;                // or the fault
};

void PrintTo(const MendCase& c, std::ostream* os) {
    *os << c.name;
}

class MendKinds : public testing::TestWithParam<MendCase> {};

TEST_P(MendKinds, MendsExactlyTheFaultAndSaysSo) {
    const MendCase& c = GetParam();
    const Mending mending = MendLines(LineStore(c.file));
    if (c.mended.empty()) {
        EXPECT_FALSE(mending.mended());
        EXPECT_EQ(mending.fault, c.list);
        return;
    }
    ASSERT_TRUE(mending.mended()) << mending.fault;
    EXPECT_TRUE(mending.lines == c.mended);
    EXPECT_EQ(MendList(mending), c.list);
    // The mended lines open as they are: mending them finds nothing.
    SubtitleDocument doc;
    doc.SubtitleLines = mending.lines;
    NoProgress progress;
    EXPECT_EQ(DetectFormat(doc, progress).format, mending.format);
    const Mending again = MendLines(mending.lines);
    EXPECT_FALSE(again.mended());
    EXPECT_TRUE(again.fault.empty());
}

const MendCase kCases[] = {
    {"InvisibleMarkBeforeCounter",
     {kRlm + "1", kTime, "Hi", "", "2", kTime2, "Yo", ""},
     {"1", kTime, "Hi", "", "2", kTime2, "Yo", ""},
     "invisible characters removed before 1 line (first at line 1)"},
    {"StackedMarksBeforeTimeLine",
     {"1", "\xE2\x80\x8E\xE2\x80\xAA\xE2\x81\xA0\xEF\xBB\xBF" + std::string(kTime), "Hi", "", "2",
      kTime2, "Yo", ""},
     {"1", kTime, "Hi", "", "2", kTime2, "Yo", ""},
     "invisible characters removed before 1 line (first at line 2)"},
    {"LineOfBlanksBetweenBlocks",
     {"[SUBTITLE]", "style", kSubTime, "a", " \t ", kSubTime2, "b", "", kSubTime2, "c"},
     {"[SUBTITLE]", "style", kSubTime, "a", "", kSubTime2, "b", "", kSubTime2, "c"},
     "1 line of blanks emptied (first at line 5)"},
    {"DownloadHeaderBeforeSubRip",
     {"HTTP/1.1 200 OK", "Content-Type: text/plain", "", "1", kTime, "Hi", "", "2", kTime2, "Yo"},
     {"1", kTime, "Hi", "", "2", kTime2, "Yo"},
     "2 lines before the first subtitle removed (first at line 1)\n\r"
     "1 extra empty line removed (first at line 3)"},
    {"DownloadHeaderBeforeMicroDvd",
     {"Content-Type: text/plain", "", "{1}{2}Hi", "{3}{4}Yo"},
     {"{1}{2}Hi", "{3}{4}Yo"},
     "1 line before the first subtitle removed (first at line 1)\n\r"
     "1 extra empty line removed (first at line 2)"},
    {"RunOfEmptyLines",
     {"1", kTime, "Hi", "", "", "", "2", kTime2, "Yo", ""},
     {"1", kTime, "Hi", "", "2", kTime2, "Yo", ""},
     "2 extra empty lines removed (first at line 5)"},
    {"BlockWithoutText",
     {"1", kTime, "", "", "2", kTime2, "Yo", "", "3", kTime2, "Yo", ""},
     {"2", kTime2, "Yo", "", "3", kTime2, "Yo", ""},
     "1 subtitle without text removed (first at line 1)"},
    {"MissingCounters",
     {kTime, "Hi", "", kTime2, "Yo", ""},
     {"1", kTime, "Hi", "", "2", kTime2, "Yo", ""},
     "2 missing counters written (first at line 1)"},
    {"GarbledCounter",
     {"1", kTime, "Hi", "", "2a", kTime2, "Yo", "", "3", kTime2, "x"},
     {"1", kTime, "Hi", "", "2", kTime2, "Yo", "", "3", kTime2, "x"},
     "1 garbled counter rewritten (first at line 5)"},
    {"TimeLineSpellings",
     {"1", "0:0:5,2 --> 0:0:6", "a", "", "2", "00:00:07.500->00:00:08,000", "b", "", "3",
      "00:00:09,000 - > 00:00:10,000  X1:10", "c", "", "4",
      "00:00:11,000 \xE2\x80\x94> 00:00:12,000", "d", ""},
     {"1", "00:00:05,002 --> 00:00:06,000", "a", "", "2", "00:00:07,500 --> 00:00:08,000", "b", "",
      "3", "00:00:09,000 --> 00:00:10,000  X1:10", "c", "", "4", "00:00:11,000 --> 00:00:12,000",
      "d", ""},
     "4 time lines written in the standard form (first at line 2)"},
    {"EmptyLineInsideText",
     {"1", kTime, "Hi", "", "there", "", "2", kTime2, "Yo", ""},
     {"1", kTime, "Hi", "there", "", "2", kTime2, "Yo", ""},
     "1 empty line inside a subtitle's text removed (first at line 4)"},
    // (Recognition alone takes the second block for text of the first.)
    {"NewBlockWithoutEmptyLine",
     {"1", kTime, "Hi", "2", kTime2, "Yo", "", "3", "0:0:3 --> 0:0:4", "x"},
     {"1", kTime, "Hi", "", "2", kTime2, "Yo", "", "3", kTime2, "x"},
     "1 missing empty line added (first at line 4)\n\r"
     "1 time line written in the standard form (first at line 9)"},
    {"BlockWithoutTimeLine",
     {"1", kTime, "Hi", "", "2", "Lost", "", "3", kTime2, "Yo", ""},
     {"1", kTime, "Hi", "", "3", kTime2, "Yo", ""},
     "1 extra empty line removed (first at line 7)\n\r"
     "1 subtitle without a time line removed (first at line 5)"},
    {"SubViewerEmptyLineAfterHeader",
     {"[SUBTITLE]", "[COLF]&HFFFFFF", "", kSubTime, "a", "", kSubTime2, "b", "", kSubTime2, "c"},
     {"[SUBTITLE]", "[COLF]&HFFFFFF", kSubTime, "a", "", kSubTime2, "b", "", kSubTime2, "c"},
     "1 extra empty line removed (first at line 3)"},
    {"SubViewerRunsOfEmptyLinesAndNoText",
     {"[SUBTITLE]", "style", kSubTime, "", "", kSubTime2, "b", "", "", kSubTime2, "c", "",
      kSubTime2, "d"},
     {"[SUBTITLE]", "style", kSubTime2, "b", "", kSubTime2, "c", "", kSubTime2, "d"},
     "1 extra empty line removed (first at line 9)\n\r"
     "1 subtitle without text removed (first at line 3)"},
    {"SubViewerWithoutHeader",
     {kSubTime, "a", "", kSubTime2, "b"},
     {"[INFORMATION]", "[TITLE]", "[AUTHOR]", "[SOURCE]", "[PRG]", "[FILEPATH]", "[DELAY]0",
      "[CD TRACK]0", "[COMMENT]", "[END INFORMATION]", "[SUBTITLE]",
      "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial", kSubTime, "a", "", kSubTime2, "b"},
     "the SubViewer 2.0 header written (first at line 1)"},
    {"AllTogether",
     {"Content-Type: text/plain", "", kRlm + "1", "0:0:1,0 -- > 0:0:2", "Hi", "", "", "there", "",
      "", kTime2, "", "", kTime2, "Yo", "7", kTime2, "x", "\t"},
     {"1", "00:00:01,000 --> 00:00:02,000", "Hi", "there", "", "2", kTime2, "Yo", "", "7", kTime2,
      "x", ""},
     "invisible characters removed before 1 line (first at line 3)\n\r"
     "1 line of blanks emptied (first at line 19)\n\r"
     "1 line before the first subtitle removed (first at line 1)\n\r"
     "2 extra empty lines removed (first at line 2)\n\r"
     "1 missing empty line added (first at line 16)\n\r"
     "2 empty lines inside subtitles' texts removed (first at line 6)\n\r"
     "1 subtitle without text removed (first at line 11)\n\r"
     "1 missing counter written (first at line 14)\n\r"
     "1 time line written in the standard form (first at line 4)"},
    // Faults that cannot be mended leave the file as it is.
    {"NegativeTime",
     {"1", "-00:00:01,000 --> 00:00:02,000", "Hi", "", "2", kTime2, "Yo", ""},
     {},
     "(Line:2) negative time"},
    {"TextThatIsNotSubtitles", {"Dear diary,", "", "today", "", "x"}, {}, "(Line:1) no time line"},
    {"WebVttClocksOfOtherForms",
     {"WEBVTT", "", "00:01:39 --> 1088:42:00.5 line:0", "x"},
     {"WEBVTT", "", "00:01:39.000 --> 1088:42:00.500 line:0", "x"},
     "1 time line written in the standard form (first at line 3)"},
    {"WebVttCuesWhoseTimingDoesNotRead",
     {"WEBVTT", "", "id", std::string("00:01.000\0 --> 00:02.000", 24), "gone", "", "ok",
      "00:03.000 --> 00:04.000 align:end", "kept", "", "00:05.000 -->00:06", "x", "-->", "y", "",
      "NOTE n", ""},
     {"WEBVTT", "", "", "ok", "00:03.000 --> 00:04.000 align:end", "kept", "",
      "00:05.000 -->00:06.000", "x", "", "NOTE n", ""},
     "1 time line written in the standard form (first at line 11)\n\r"
     "2 cues whose timing lines do not read removed (first at line 4)"},
    {"WebVttHoursBeyondTheTable",
     {"WEBVTT", "", "2501999793:00:00.000 --> 2501999793:00:01.000", "x"},
     {},
     "(Line:3) a time beyond 2501999791 hours"},
};

INSTANTIATE_TEST_SUITE_P(Kinds, MendKinds, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<MendCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Mending, AFileThatOpensIsNeverTouched) {
    const Mending mending = MendLines(LineStore({"1", kTime, "Hi", "", "2", kTime2, "Yo", ""}));
    EXPECT_FALSE(mending.mended());
    EXPECT_TRUE(mending.entries.empty());
    EXPECT_TRUE(mending.fault.empty());
}

TEST(Mending, KeptLinesKeepTheirLineEndsAndAddedLinesTakeTheFilesOwn) {
    const LineStore file = LineStore::Split("00:00:01,000 --> 00:00:02,000\nHi\r\n\n"
                                            "00:00:03,000 --> 00:00:04,000\rYo");
    const Mending mending = MendLines(file);
    ASSERT_TRUE(mending.mended());
    EXPECT_EQ(JoinLines(mending.lines), "1\n00:00:01,000 --> 00:00:02,000\nHi\r\n\n"
                                        "2\n00:00:03,000 --> 00:00:04,000\rYo");
    EXPECT_EQ(MendSummary(mending), "Mended: 2 missing counters");
}

} // namespace
} // namespace velkar
