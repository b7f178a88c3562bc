#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>

namespace velkar {
namespace {

using nlohmann::json;
using testing::HasSubstr;

using test::RunCli;

class CliTest : public testing::Test {
  protected:
    std::string file(const std::string& name, const std::string& bytes) {
        auto path = m_folder.path(name);
        test::WriteBytes(path, bytes);
        return path.string();
    }
    std::string path(const std::string& name) { return m_folder.path(name).string(); }
    test::TempFolder m_folder;
};

const std::string kSrt = "1\n00:00:01,000 --> 00:00:03,000\nOne\n\n"
                         "2\n00:00:04,000 --> 00:00:06,000\nTwo\nlines\n\n"
                         "3\n00:00:10,000 --> 00:00:12,000\nThree\n";

TEST_F(CliTest, DetectListsFailedChecksInOrder) {
    auto r = RunCli({"detect", file("a.srt", kSrt)});
    ASSERT_EQ(r.code, 0) << r.err;
    auto j = json::parse(r.out);
    EXPECT_EQ(j["format"], "SubRip");
    EXPECT_EQ(j["lines"], 12);
    ASSERT_EQ(j["errors"].size(), 1u);
    EXPECT_EQ(j["errors"][0]["format"], "MicroDVD");
    EXPECT_EQ(j["errors"][0]["line"], 0);
    EXPECT_EQ(j["errors"][0]["text"], "(Line:1)\n\r1"); // 0-based "line", text from 1

    auto damaged = RunCli({"detect", file("d.srt", "1\n00:00:01,000 --> 00:00:03,000\nOne\n\n"
                                                   "2\n00:00:04.000 --> 00:00:06,000\nx\n\nz\n")});
    auto d = json::parse(damaged.out);
    EXPECT_EQ(d["format"], "Damaged");
    EXPECT_EQ(d["errors"][1]["format"], "SubRip");
    EXPECT_EQ(d["errors"][1]["line"], 5);
}

// Time lines with "." before the milliseconds: mending writes them with ",".
const std::string kDotMillis = "1\n00:00:01.000 --> 00:00:03,000\nOne\n\n"
                               "2\n00:00:04,000 --> 00:00:06,000\nTwo\n\n"
                               "3\n00:00:10,000 --> 00:00:12.000\nThree\n";

TEST_F(CliTest, MendPrintsTheListAndWritesTheMendedCopy) {
    const std::string input = file("d.srt", kDotMillis);
    auto r = RunCli({"mend", input, "-o", path("m.srt")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "2 time lines written in the standard form (first at line 2)\n");
    std::string expected = kDotMillis;
    expected.replace(expected.find("01.000"), 6, "01,000");
    expected.replace(expected.find("12.000"), 6, "12,000");
    EXPECT_EQ(test::ReadBytes(path("m.srt")), expected);
    EXPECT_EQ(test::ReadBytes(input), kDotMillis); // never written

    // A file that opens as it is: nothing to mend, the same bytes written.
    auto same = RunCli({"mend", file("a.srt", kSrt), "-o", path("a2.srt")});
    ASSERT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "Nothing to mend: the Subtitle file opens as it is\n");
    EXPECT_EQ(test::ReadBytes(path("a2.srt")), kSrt);

    // Exit 1 with the first fault that cannot be mended; 2 for replacing the input.
    auto negative = RunCli({"mend", file("n.srt", "1\n-00:00:01,000 --> 00:00:03,000\nOne\n\n"
                                                  "2\n00:00:04.000 --> 00:00:06,000\nx\n\nz\n")});
    EXPECT_EQ(negative.code, 1);
    EXPECT_EQ(negative.err, "The Subtitle file cannot be mended: (Line:2) negative time\n");
    auto replace = RunCli({"mend", input, "-o", input});
    EXPECT_EQ(replace.code, 2);
    EXPECT_EQ(replace.err, "The mended file must not replace the file it was read from\n");
}

TEST_F(CliTest, SyncMendsFirstOnlyWhenAsked) {
    const std::string input = file("d.srt", kDotMillis);
    auto refused = RunCli(
        {"sync", input, "--first", "00:00:01,000", "--last", "00:00:10,000", "-o", path("o.srt")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_THAT(refused.err, testing::EndsWith(" (velkar-cli mend can mend it)\n"));
    auto mended = RunCli({"sync", input, "--mend", "--first", "00:00:02,000", "--last",
                          "00:00:11,000", "-o", path("o.srt")});
    ASSERT_EQ(mended.code, 0) << mended.err;
    EXPECT_THAT(mended.out, testing::StartsWith("mended:\n2 time lines written in the standard "
                                                "form (first at line 2)\n"));
    EXPECT_THAT(test::ReadBytes(path("o.srt")), HasSubstr("00:00:11,000 --> 00:00:13,000"));
}

TEST_F(CliTest, ParsePrintsTheTimingTable) {
    auto r = RunCli({"parse", file("a.srt", kSrt)});
    ASSERT_EQ(r.code, 0) << r.err;
    auto j = json::parse(r.out);
    ASSERT_EQ(j["subtitles"].size(), 3u);
    EXPECT_EQ(j["subtitles"][1],
              json({{"start", 4000}, {"end", 6000}, {"line", 5}, {"text", "Two[br]lines"}}));
}

TEST_F(CliTest, JsonReplacesBytesThatAreNotUtf8) {
    auto r = RunCli({"parse", file("greek.sub", "{1}{2}\xE3\xE5\xE9\xDC\n")});
    ASSERT_EQ(r.code, 0) << r.err;
    auto j = json::parse(r.out);
    EXPECT_EQ(j["subtitles"][0]["text"], "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST_F(CliTest, InfoPrintsTheReportWithNewlines) {
    auto r = RunCli({"info", file("a.srt", kSrt)});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Subtitle Format:\tSubrip\nTotal Lines:\t12\n"
                     "First Subtitle:\t00:00:01,000  One\nLast Subtitle:\t00:00:10,000  Three\n");
}

TEST_F(CliTest, SyncWritesTheRetimedCopyAndSummarises) {
    const std::string in = file("in.srt", kSrt);
    auto r = RunCli(
        {"sync", in, "--first", "00:00:02,000", "--last", "00:00:20,000", "-o", path("out.srt")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Stretched by 2.000000; first anchor 1: 00:00:01,000 -> 00:00:02,000; "
                     "last anchor 3: 00:00:10,000 -> 00:00:20,000\n");
    EXPECT_EQ(test::ReadBytes(path("out.srt")), "1\n00:00:02,000 --> 00:00:06,000\nOne\n\n"
                                                "2\n00:00:08,000 --> 00:00:12,000\nTwo\nlines\n\n"
                                                "3\n00:00:20,000 --> 00:00:24,000\nThree\n");
    EXPECT_EQ(test::ReadBytes(in), kSrt);
}

TEST_F(CliTest, SyncWithChosenAnchorsAndTolerance) {
    auto r = RunCli({"sync", file("in.sub", "{100}{110}a\n{200}{210}b\n{300}{310}c\n"), "--first",
                     "150", "--last", "350", "--first-anchor", "2", "--last-anchor", "3",
                     "--tolerance", "0.1%", "-o", path("out.sub")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(test::ReadBytes(path("out.sub")), "{-50}{-30}a\n{150}{170}b\n{350}{370}c\n");
}

TEST_F(CliTest, SyncRefusesToWriteOverItsInput) {
    const std::string in = file("in.srt", kSrt);
    auto r = RunCli({"sync", in, "--first", "00:00:02,000", "--last", "00:00:20,000", "-o",
                     m_folder.path(".").string() + "/in.srt"});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(test::ReadBytes(in), kSrt);
}

TEST_F(CliTest, EveryCommandRefusesNulBytesAndInvalidUtf16) {
    const std::string nul = file("nul.srt", std::string(kSrt).insert(20, 1, '\0'));
    const std::string utf16 = file("u16.srt", "\xFF\xFE\x3D\xD8");
    for (const auto& [path, message] :
         {std::pair{nul, "The Subtitle file holds NUL bytes\n"},
          std::pair{utf16, "The Subtitle file is not valid UTF-16\n"}}) {
        for (std::vector<std::string> args : {std::vector<std::string>{"detect", path},
                                              {"parse", path},
                                              {"info", path},
                                              {"sync", path, "--first", "00:00:02,000", "--last",
                                               "00:00:20,000", "-o", this->path("o.srt")}}) {
            const auto r = RunCli(args);
            EXPECT_EQ(r.code, 1) << args[0];
            EXPECT_EQ(r.err, message) << args[0];
        }
    }
}

TEST_F(CliTest, SyncFailuresExitOneWithTheMessage) {
    auto unsupported = RunCli({"sync", file("u.txt", "Hello\n\nWorld\n\nx\n"), "--first", "0",
                               "--last", "1", "-o", path("o")});
    EXPECT_EQ(unsupported.code, 1);
    EXPECT_EQ(unsupported.err, "The Subtitle file you selected is not supported by Velkar\n");

    auto damaged = RunCli({"sync", file("d.sub", "{1}{2}a\n{3}{4}b\noops\n\nx\n"), "--first", "0",
                           "--last", "1", "-o", path("o")});
    EXPECT_EQ(damaged.code, 1);
    EXPECT_EQ(damaged.err, "The Subtitle file seems to be a MicroDVD file, but it has at least "
                           "one error:\n(Line:3)\noops\n");

    auto none = RunCli(
        {"sync", file("n.sub", "{1}{1}25\n\n"), "--first", "0", "--last", "1", "-o", path("o")});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, "The Subtitle file holds no subtitles\n");

    auto badTime = RunCli({"sync", file("in.srt", kSrt), "--first", "00:00:0x,000", "--last",
                           "00:00:20,000", "-o", path("o")});
    EXPECT_EQ(badTime.code, 1);
    EXPECT_EQ(badTime.err, "'0x' is not a valid integer value\n");

    auto negative = RunCli({"sync", file("in.srt", kSrt), "--first", "00:00:00,000", "--last",
                            "00:00:20,000", "--first-anchor", "2", "-o", path("o")});
    EXPECT_EQ(negative.code, 1);
    EXPECT_EQ(negative.err, "Invalid argument to time encode\nSubtitle 1 (line 2) would start "
                            "before 00:00:00. A subtitle file's times run from 00:00:00 to "
                            "23:59:59: check the true times typed for the anchors.\n");
    EXPECT_FALSE(std::filesystem::exists(path("o")));

    auto missing =
        RunCli({"sync", path("nothing.srt"), "--first", "0", "--last", "1", "-o", path("o")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "Cannot open file " + path("nothing.srt") + "\n");
}

TEST_F(CliTest, SyncReadsAndWritesOnlyRegularFiles) {
    const std::string in = file("in.srt", kSrt);
    const std::string fifo = path("pipe.srt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& out : {std::string("/dev/null"), fifo}) {
        auto r =
            RunCli({"sync", in, "--first", "00:00:02,000", "--last", "00:00:20,000", "-o", out});
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, "Cannot create file " + out + ": Not a regular file\n");
    }
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    // A pipe as input is refused at once, not waited on.
    auto r = RunCli({"sync", fifo, "--first", "0", "--last", "1", "-o", path("o")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Cannot open file " + fifo + ": Not a regular file\n");
}

TEST_F(CliTest, SyncPieceByPieceThroughSeveralAnchors) {
    const std::string in = file(
        "cut.sub", "{50}{60}z\n{100}{110}a\n{200}{210}b\n{300}{310}c\n{400}{410}d\n{500}{520}e\n");
    // Twice as long up to subtitle 3, as it was from there on; before the first and after the
    // last anchor the outer lines go on.
    auto r = RunCli({"sync", in, "--anchor", "2=100", "--anchor", "5=500", "--anchor", "3=300",
                     "-o", path("out.sub")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Stretched piece by piece by 2.000000, 1.000000; anchor 2: 100 -> 100; "
                     "anchor 5: 400 -> 500; anchor 3: 200 -> 300\n");
    EXPECT_EQ(test::ReadBytes(path("out.sub")),
              "{0}{20}z\n{100}{120}a\n{300}{310}b\n{400}{410}c\n{500}{510}d\n{600}{620}e\n");

    auto one = RunCli({"sync", in, "--anchor", "2=100", "-o", path("o")});
    EXPECT_EQ(one.code, 2);
    auto mixed = RunCli(
        {"sync", in, "--anchor", "2=100", "--anchor", "3=300", "--first", "1", "-o", path("o")});
    EXPECT_EQ(mixed.code, 2);
    auto bad = RunCli({"sync", in, "--anchor", "two=100", "--anchor", "3=300", "-o", path("o")});
    EXPECT_EQ(bad.code, 2);
    auto beyond = RunCli({"sync", in, "--anchor", "2=100", "--anchor", "9=300", "-o", path("o")});
    EXPECT_EQ(beyond.code, 1);
    EXPECT_EQ(beyond.err, "--anchor must name a subtitle from 1 to 6\n");
    auto same = RunCli({"sync", file("same.sub", "{100}{110}a\n{100}{120}b\n{300}{310}c\n"),
                        "--anchor", "1=100", "--anchor", "2=200", "-o", path("o")});
    EXPECT_EQ(same.code, 1);
    EXPECT_EQ(same.err, "Anchors 1 and 2 start at the same time\n");

    // Typed times that are equal or run backwards, given in any order: refused, nothing written.
    auto equal = RunCli({"sync", in, "--anchor", "3=300", "--anchor", "2=300", "-o", path("o")});
    EXPECT_EQ(equal.code, 1);
    EXPECT_EQ(equal.err, "Floating point division by zero\nThe two true times are equal: anchors 2 "
                         "and 3 both have 300. Type each anchor's own true start, the later "
                         "subtitle's later.\n");
    auto backwards =
        RunCli({"sync", in, "--anchor", "5=100", "--anchor", "2=500", "-o", path("o")});
    EXPECT_EQ(backwards.code, 1);
    EXPECT_EQ(backwards.err, "The true times must increase from anchor 2 to anchor 5\nAnchor 2 is "
                             "given 500, anchor 5 the earlier 100.\n");
    EXPECT_FALSE(std::filesystem::exists(path("o")));
}

TEST_F(CliTest, UsageErrorsExitTwo) {
    EXPECT_EQ(RunCli({}).code, 2);
    EXPECT_EQ(RunCli({"sync", file("in.srt", kSrt)}).code, 2);
    auto r = RunCli({"sync", file("in.srt", kSrt), "--first", "00:00:02,000", "--last",
                     "00:00:20,000", "--tolerance", "5%", "-o", path("o")});
    EXPECT_EQ(r.code, 2);
    EXPECT_THAT(r.err, HasSubstr("0.0001%"));
    auto anchor = RunCli({"sync", file("in.srt", kSrt), "--first", "00:00:02,000", "--last",
                          "00:00:20,000", "--last-anchor", "4", "-o", path("o")});
    EXPECT_EQ(anchor.code, 1);
    EXPECT_EQ(anchor.err, "--last-anchor must name a subtitle from 1 to 3\n");
}

} // namespace
} // namespace velkar
