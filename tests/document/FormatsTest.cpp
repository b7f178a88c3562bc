// MPL2, WebVTT and ASS/SSA: recognition against the other formats, the first faulty line, times
// read and written in each field's own form, and the text shown on screen.
#include "TestSupport.h"

#include "document/Detection.h"
#include "document/Errors.h"
#include "document/Format.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/Report.h"
#include "document/TimeCode.h"
#include "sync/FixSynch.h"
#include "sync/RebuildLines.h"

#include <gtest/gtest.h>

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

const Lines kASS = {"[Script Info]",
                    "ScriptType: v4.00+",
                    "",
                    "[Events]",
                    "Format: Layer, Start, End, Style, Text",
                    "Dialogue: 0,0:00:01.00,0:00:02.50,Default,{\\i1}Hi{\\i0}\\Nthere",
                    "Comment: 0,0:00:03.00,0:00:04.00,Default,karaoke template"};
const Lines kSSA = {"[Script Info]",
                    "ScriptType: v4.00",
                    "[V4 Styles]",
                    "[Events]",
                    "Format: Marked, Start, End, Style, Text",
                    "Dialogue: Marked=0,0:00:01.00,0:00:02.50,Default,Hi"};
const Lines kWebVTT = {"WEBVTT",
                       "",
                       "NOTE a note",
                       "",
                       "id1",
                       "00:01.000 --> 00:02.000 line:0",
                       "<i>one</i> &amp; <00:01.500>two",
                       "",
                       "01:00:00.000 --> 01:00:01.000",
                       "three"};
const Lines kMPL2 = {"[10][25]/One|two", "", "[30][40]three"};

struct RecognitionCase {
    const char* name;
    Lines lines;
    SubtitleFormat format;
};

class Recognition : public testing::TestWithParam<RecognitionCase> {};

TEST_P(Recognition, EachFormatIsTheOneItIs) {
    EXPECT_EQ(Open(GetParam().lines).SubtitleFormat, GetParam().format);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Recognition,
    testing::Values(
        RecognitionCase{"ASS", kASS, sfASS}, RecognitionCase{"SSA", kSSA, sfSSA},
        RecognitionCase{"WebVTT", kWebVTT, sfWebVTT}, RecognitionCase{"MPL2", kMPL2, sfMPL2},
        RecognitionCase{"MicroDVDStaysMicroDVD", {"{10}{25}One", "{30}{40}two"}, sfMicroDVD},
        RecognitionCase{
            "SubRipStaysSubRip", {"1", "00:00:01,000 --> 00:00:02,000", "x", ""}, sfSubRip},
        // A SubRip time line in a file that says WEBVTT is read as WebVTT's, and fails there.
        RecognitionCase{"WebVTTWithSubRipTimes",
                        {"WEBVTT", "", "1", "00:00:01,000 --> 00:00:02,000", "x"},
                        sfDamaged},
        RecognitionCase{
            "SubRipWithoutSignatureIsNotWebVTT", {"00:00:01.000 --> 00:00:02.000", "x"}, sfUnknown},
        RecognitionCase{"ScriptTypeOutranksStyles",
                        {"[Script Info]", "ScriptType: v4.00+", "[V4 Styles]", "[Events]",
                         "Format: Start, End, Text", "Dialogue: 0:00:01.00,0:00:02.00,x"},
                        sfASS},
        RecognitionCase{"StylesTellWithoutScriptType",
                        {"[Script Info]", "[V4 Styles]", "[Events]", "Format: Start, End, Text",
                         "Dialogue: 0:00:01.00,0:00:02.00,x"},
                        sfSSA},
        RecognitionCase{
            "MPL2BeforeMicroDVDLines", {"[1][2]a", "[3][4]b", "[5][6]c", "{7}{8}d"}, sfDamaged},
        RecognitionCase{
            "MicroDVDBeforeMPL2Lines", {"{1}{2}a", "{3}{4}b", "{5}{6}c", "[7][8]d"}, sfDamaged}),
    [](const testing::TestParamInfo<RecognitionCase>& info) { return info.param.name; });

struct FaultCase {
    const char* name;
    Lines lines;
    ErrorRecord record;
    std::int32_t line;
};

class FirstFaultyLine : public testing::TestWithParam<FaultCase> {};

TEST_P(FirstFaultyLine, IsNamed) {
    const SubtitleDocument doc = Open(GetParam().lines);
    EXPECT_EQ(doc.SubtitleFormat, sfDamaged);
    EXPECT_EQ(doc.ErrorLines[GetParam().record], GetParam().line);
    EXPECT_EQ(MostLikelyFormat(doc.ErrorLines), GetParam().record);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, FirstFaultyLine,
    testing::Values(
        FaultCase{"MPL2MinorityMicroDVD", {"[1][2]a", "[3][4]b", "{5}{6}c", "[7][8]d"}, erMPL2, 2},
        FaultCase{
            "MicroDVDMinorityMPL2", {"{1}{2}a", "{3}{4}b", "[5][6]c", "{7}{8}d"}, erMicroDVD, 2},
        FaultCase{
            "WebVTTBadTime",
            {"WEBVTT", "", "00:01.000 --> 00:02.000", "a", "", "00:0x.000 --> 00:04.000", "b"},
            erWebVTT,
            5},
        FaultCase{"ASSBadTime",
                  {"[Script Info]", "[Events]", "Format: Start, End, Text",
                   "Dialogue: 0:00:01.00,0:00:02.00,a", "Dialogue: 0:00:0x.00,0:00:04.00,b"},
                  erASS,
                  4},
        FaultCase{"ASSFormatWithoutEnd",
                  {"[Script Info]", "[Events]", "Format: Start, Text", "Dialogue: 0:00:01.00,a"},
                  erASS,
                  2}),
    [](const testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

TEST(FormatTables, TimesAndTextsAreRead) {
    const SubtitleDocument ass = Open(kASS);
    ASSERT_EQ(ass.SubtitleCount, 2); // the comment is a subtitle too
    EXPECT_EQ(ass.start(0), 1000);
    EXPECT_EQ(ass.end(0), 2500);
    EXPECT_EQ(ass.SubtitleTexts[0], "{\\i1}Hi{\\i0}\\Nthere");
    const SubtitleDocument vtt = Open(kWebVTT);
    ASSERT_EQ(vtt.SubtitleCount, 2);
    EXPECT_EQ(vtt.start(1), 3600000);
    EXPECT_EQ(vtt.SubtitleTexts[0], "<i>one</i> &amp; <00:01.500>two");
    const SubtitleDocument mpl2 = Open(kMPL2);
    ASSERT_EQ(mpl2.SubtitleCount, 2);
    EXPECT_EQ(mpl2.start(0), 1000);
    EXPECT_EQ(mpl2.end(1), 4000);
}

struct ScreenCase {
    SubtitleFormat format;
    std::string stored, shown;
};

class ScreenTexts : public testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenTexts, ShowsTextWithoutMarkup) {
    std::string shown;
    FindFormat(GetParam().format)->appendScreenText(shown, GetParam().stored);
    EXPECT_EQ(shown, GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ScreenTexts,
    testing::Values(
        ScreenCase{sfASS, "{\\i1}Hi{\\i0}\\Nthere\\hnow", "Hi\n\rthere now"},
        ScreenCase{sfASS, "Comment: template", ""}, ScreenCase{sfSSA, "a\\nb{\\k20}c", "a\n\rbc"},
        ScreenCase{sfWebVTT, "<i>one</i> &amp; <00:01.500>two[br]&lt;3&gt;", "one & two\n\r<3>"},
        ScreenCase{sfWebVTT, std::string("\0te\0xt\0", 7),
                   "\xEF\xBF\xBDte\xEF\xBF\xBDxt\xEF\xBF\xBD"},
        ScreenCase{sfWebVTT, "a&nbsp;b &unknown; 5 < 6",
                   "a\xC2\xA0"
                   "b &unknown; 5 < 6"},
        ScreenCase{sfMPL2, "/One|two|/three", "One\n\rtwo\n\rthree"},
        ScreenCase{sfMPL2, "{y:i}{c:$ff0000}Red|x", "Red\n\rx"},
        ScreenCase{sfSubRip, "{\\an8}<i>Top</i>[br]<font color=\"red\">x</font>", "Top\n\rx"},
        ScreenCase{sfSubRip, "5 < 6 {not a block} <B>b</B> <3 <br>",
                   "5 < 6 {not a block} b <3 <br>"},
        ScreenCase{sfMicroDVD, "{y:i}One|{c:$0000ff}two {3}", "One\n\rtwo {3}"},
        ScreenCase{sfSubViewer2, "one[br]two", "one\n\rtwo"}));

TEST(OpenClocks, OnlyWebVTTHasNoTextBeforeTheFilmsStart) {
    EXPECT_THROW(TimeToText(sfWebVTT, -1), TimeEncodeError);
    EXPECT_FALSE(CanEncode(sfWebVTT, -1));
    EXPECT_EQ(TimeToText(sfASS, -6840), "-0:00:06.84");
    EXPECT_EQ(TimeToText(sfMPL2, -6840), "-00:00:06.8");
    EXPECT_EQ(TimeToText(sfMPL2, -40), "00:00:00.0"); // rounds to 0, which has no sign
    EXPECT_EQ(TimeToText(sfASS, -5), "0:00:00.00");
    EXPECT_EQ(TimeToText(sfWebVTT, 360000000), "100:00:00.000");
    // Hours have no limit but the table's: an HLS segment counts from the stream's start.
    EXPECT_EQ(TimeToText(sfWebVTT, 3918120500), "1088:22:00.500");
    EXPECT_EQ(TimeToText(sfMPL2, INT32_MAX), "596:31:23.6");
    // The last milliseconds of the table round beyond it: no text that reads back.
    EXPECT_THROW(TimeToText(sfMPL2, -kMaxTimeValue), TimeEncodeError);
    EXPECT_THROW(TimeToText(sfMPL2, kMaxTimeValue), TimeEncodeError);
    EXPECT_EQ(TimeToText(sfASS, kMaxTimeValue), "2501999792:59:00.99");
    EXPECT_THROW(TimeToText(sfWebVTT, kMaxTimeValue + 1), TimeEncodeError);
    EXPECT_EQ(TimeToText(sfWebVTT, kMaxTimeValue), "2501999792:59:00.991");
    EXPECT_EQ(TextToTime(sfWebVTT, "2501999792:59:00.991"), kMaxTimeValue);
    EXPECT_THROW(TextToTime(sfWebVTT, "2501999792:59:00.992"), ConversionError);
}

TEST(ListTexts, ShowTheScreenTextOnOneLine) {
    EXPECT_EQ(ListText(sfSubRip, "<i>a</i>[br]b"), "a | b");
    EXPECT_EQ(ListText(sfASS, "{\\b1}x\\Ny"), "x | y");
    EXPECT_EQ(ListText(sfMicroDVD, "{y:i}a|b"), "a | b");
    EXPECT_EQ(ListText(sfUnknown, "<i>x</i>[br]y"), "<i>x</i>[br]y");
}

struct TypedCase {
    SubtitleFormat format;
    const char* typed;
    std::int32_t value;
    const char* shown;
};

class TypedTimes : public testing::TestWithParam<TypedCase> {};

// Times typed as hh:mm:ss.fff are rounded once to the format's unit (ties to even) and shown in
// the format's form.
TEST_P(TypedTimes, RoundOnceToTheUnit) {
    EXPECT_EQ(TextToTime(GetParam().format, GetParam().typed), GetParam().value);
    EXPECT_EQ(TimeToText(GetParam().format, GetParam().value), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Formats, TypedTimes,
                         testing::Values(TypedCase{sfMPL2, "00:00:01.250", 1200, "00:00:01.2"},
                                         TypedCase{sfMPL2, "00:00:01,350", 1400, "00:00:01.4"},
                                         TypedCase{sfMPL2, "-00:00:06.8", -6800, "-00:00:06.8"},
                                         TypedCase{sfASS, "1:02:03.455", 3723460, "1:02:03.46"},
                                         TypedCase{sfASS, "01:02:03.445", 3723440, "1:02:03.44"},
                                         TypedCase{sfSSA, "30:00:00.00", 108000000, "30:00:00.00"},
                                         TypedCase{sfWebVTT, "100:00:00.001", 360000001,
                                                   "100:00:00.001"},
                                         TypedCase{sfWebVTT, " 0:00:01.5", 1500, "00:00:01.500"}));

TEST(TypedTimes, RefuseWhatIsNoClock) {
    for (const char* typed : {"", "1:2", "00:00:01.5000", "a0:00:01.000", "99999999999:00:00.000"})
        EXPECT_THROW(TextToTime(sfWebVTT, typed), ConversionError) << typed;
}

// Re-timing writes each changed field in the form it had and leaves every other byte alone.
TEST(FormatRewrite, FieldsKeepTheirForm) {
    SubtitleDocument ass = Open({"[Script Info]", "[Events]", "Format: End, Start, Text",
                                 "Dialogue: 00:00:02.00, 0:00:01.00 ,x,y"});
    ass.TimingTable[0][0] = 3600000 * 12 + 10;
    ass.TimingTable[1][0] = -20;
    NoProgress progress;
    RebuildLines(ass, progress);
    EXPECT_EQ(ass.SubtitleLines[3], "Dialogue: -00:00:00.02, 12:00:00.01 ,x,y");

    SubtitleDocument vtt = Open({"WEBVTT", "", "00:01.000 --> 00:00:02.000 align:start", "a"});
    ASSERT_EQ(vtt.SubtitleFormat, sfWebVTT);
    vtt.TimingTable[0][0] = 3600000 + 1000;
    vtt.TimingTable[1][0] = 2500;
    RebuildLines(vtt, progress);
    // A field without hours takes them only from an hour on.
    EXPECT_EQ(vtt.SubtitleLines[2], "01:00:01.000 --> 00:00:02.500 align:start");
}

TEST(FormatRewrite, EachEventsSectionKeepsItsOwnFormatLine) {
    SubtitleDocument ass =
        Open({"[Script Info]", "[Events]", "Format: Start, End, Text",
              "Dialogue: 0:00:01.00,0:00:02.00,a", "[Events]", "Format: Layer, End, Start, Text",
              "Dialogue: 0,0:00:04.00,0:00:03.00,b"});
    ASSERT_EQ(ass.SubtitleCount, 2);
    EXPECT_EQ(ass.start(1), 3000);
    for (std::size_t i = 0; i < 2; ++i) {
        ass.TimingTable[0][i] += 500;
        ass.TimingTable[1][i] += 500;
    }
    NoProgress progress;
    RebuildLines(ass, progress);
    EXPECT_EQ(ass.SubtitleLines[3], "Dialogue: 0:00:01.50,0:00:02.50,a");
    EXPECT_EQ(ass.SubtitleLines[6], "Dialogue: 0,0:00:04.50,0:00:03.50,b");
}

TEST(FormatRewrite, UnchangedFieldsKeepTheirBytes) {
    SubtitleDocument mpl2 = Open({"[00][10]a", "[20][30]b"});
    mpl2.TimingTable[1][1] = 3500;
    NoProgress progress;
    RebuildLines(mpl2, progress);
    EXPECT_EQ(mpl2.SubtitleLines[0], "[00][10]a");
    EXPECT_EQ(mpl2.SubtitleLines[1], "[20][35]b");
}

TEST(FormatRewrite, InlineTimestampsFollowTheCues) {
    SubtitleDocument vtt =
        Open({"WEBVTT", "", "00:01.000 --> 00:03.000", "a <00:02.000> b <00:00:02.500>", "",
              "00:05.000 --> 00:07.000", "c"});
    ASSERT_EQ(vtt.SubtitleCount, 2);
    vtt.FirstAnchor = 0;
    vtt.LastAnchor = 1;
    NoProgress progress;
    // Twice as slow from the first cue on: 2.000 -> 3.000, 2.500 -> 4.000.
    FixSynch(vtt, "00:00:01.000", "00:00:09.000", 3, progress);
    EXPECT_EQ(vtt.SubtitleLines[2], "00:01.000 --> 00:05.000");
    EXPECT_EQ(vtt.SubtitleLines[3], "a <00:03.000> b <00:00:04.000>");
    EXPECT_EQ(vtt.SubtitleLines[5], "00:09.000 --> 00:13.000");
}

TEST(FormatRewrite, SaveAsExtensions) {
    EXPECT_EQ(FindFormat(sfMPL2)->extension, ".txt");
    EXPECT_EQ(FindFormat(sfWebVTT)->extension, ".vtt");
    EXPECT_EQ(FindFormat(sfASS)->extension, ".ass");
    EXPECT_EQ(FindFormat(sfSSA)->extension, ".ssa");
}

} // namespace
} // namespace velkar
