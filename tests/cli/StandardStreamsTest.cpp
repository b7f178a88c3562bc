// velkar-cli with "-" for its input or its output: the same bytes and the same words as with
// files, the words moved to the error stream when the file goes to standard output.

#include "TestSupport.h"

#include "app/Version.h"
#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velkar {
namespace {

using Result = test::CliResult;
using test::RunCli;

struct StreamCase {
    const char* name;
    std::string bytes;
    std::string first, last;
};

// Each form, with the bytes that must pass through untouched: a byte-order mark, mixed line
// ends, no line end at the end, UTF-16.
// A SubRip text as UTF-16 LE with its mark.
std::string Utf16Le(const std::string& ascii) {
    std::string bytes = "\xFF\xFE";
    for (char c : ascii)
        bytes += std::string{c, '\0'};
    return bytes;
}

// Each form, with the bytes that must pass through untouched: a byte-order mark, mixed line
// ends, no line end at the end, UTF-16.
const StreamCase kCases[] = {
    {"srt_crlf_bom",
     "\xEF\xBB\xBF"
     "1\r\n00:00:01,000 --> 00:00:03,000\r\nOne\r\n\r\n2\n00:00:04,000 --> 00:00:06,000\nTwo\n\n"
     "3\r\n00:00:10,000 --> 00:00:12,000\r\nThree",
     "00:00:01,500", "00:00:11,000"},
    {"microdvd", "{10}{20}One\n{30}{45}Two|lines\r{100}{120}Three\n", "12", "130"},
    {"subviewer2",
     "[INFORMATION]\n[TITLE]x\n[AUTHOR]\n[SOURCE]\n[PRG]\n[FILEPATH]\n[DELAY]0\n[CD TRACK]0\n"
     "[COMMENT]\n[END INFORMATION]\n[SUBTITLE]\n[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial\n"
     "00:00:01.00,00:00:02.00\nOne\n\n00:00:05.00,00:00:06.50\nTwo\n\n",
     "00:00:01.50", "00:00:07.00"},
    {"srt_utf16le",
     Utf16Le("1\n00:00:01,000 --> 00:00:02,000\nA\n\n2\n00:00:05,000 --> 00:00:06,000\nB\n"),
     "00:00:02,000", "00:00:07,000"},
};

class StandardStreams : public testing::TestWithParam<StreamCase> {
  protected:
    test::TempFolder m_folder;
};

TEST_P(StandardStreams, SyncThroughPipesMatchesSyncOfFiles) {
    const StreamCase& c = GetParam();
    const std::string in = m_folder.path("in").string(), out = m_folder.path("out").string();
    test::WriteBytes(in, c.bytes);
    const Result files = RunCli({"sync", in, "--first", c.first, "--last", c.last, "-o", out});
    ASSERT_EQ(files.code, 0) << files.err;

    const Result piped =
        RunCli({"sync", "-", "--first", c.first, "--last", c.last, "-o", "-"}, c.bytes);
    ASSERT_EQ(piped.code, 0) << piped.err;
    EXPECT_EQ(piped.out, test::ReadBytes(out));
    EXPECT_EQ(piped.err, files.out); // the summary, moved out of the copy's way

    // Either end alone.
    const Result fromPipe =
        RunCli({"sync", "-", "--first", c.first, "--last", c.last, "-o", out}, c.bytes);
    EXPECT_EQ(fromPipe.out, files.out);
    EXPECT_EQ(test::ReadBytes(out), piped.out);
    const Result toPipe = RunCli({"sync", in, "--first", c.first, "--last", c.last, "-o", "-"});
    EXPECT_EQ(toPipe.out, piped.out);
}

TEST_P(StandardStreams, ReportsOfStandardInputMatchReportsOfTheFile) {
    const StreamCase& c = GetParam();
    const std::string in = m_folder.path("in").string();
    test::WriteBytes(in, c.bytes);
    for (const char* command : {"detect", "parse"}) {
        const Result file = RunCli({command, in});
        const Result piped = RunCli({command, "-"}, c.bytes);
        EXPECT_EQ(piped.code, file.code) << command;
        EXPECT_EQ(piped.out, file.out) << command;
    }
    const Result info = RunCli({"info", "-"}, c.bytes);
    EXPECT_EQ(info.code, 0) << info.err;
    EXPECT_EQ(info.out, RunCli({"info", in}).out);
}

INSTANTIATE_TEST_SUITE_P(Forms, StandardStreams, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StandardStreamsCli, AutosyncReadsStandardInputOnce) {
    const std::string late = "1\n00:00:01,000 --> 00:00:02,000\nA\n";
    const Result twice = RunCli({"autosync", "-", "--reference", "-"}, late);
    EXPECT_EQ(twice.code, 2);
    EXPECT_EQ(twice.err, "Standard input (-) can be read only once\n");
}

TEST(StandardStreamsCli, FailuresOnStandardInputNameIt) {
    const Result empty = RunCli({"sync", "-", "--first", "1", "--last", "2", "-o", "-"}, "");
    EXPECT_EQ(empty.code, 1);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "The Subtitle file holds no subtitles\n");
    const Result nul = RunCli({"info", "-"}, std::string("{1}{2}a\n\0x", 10));
    EXPECT_EQ(nul.code, 1);
    EXPECT_EQ(nul.err, "The Subtitle file holds NUL bytes\n");
}

TEST(StandardStreamsCli, VersionAnswersWithoutACommand) {
    const Result r = RunCli({"--version"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, std::string("velkar-cli ") + kVersion + "\n");
    EXPECT_EQ(r.err, "");
}

} // namespace
} // namespace velkar
