// Generated files of every format, line-end style and encoding: opened and saved without a
// change they keep every byte; re-timed by `velkar-cli sync` only their time fields change.

#include "TestSupport.h"
#include "cli/Cli.h"
#include "cli/OpenSubtitle.h"
#include "cli/RawFile.h"
#include "document/LineIo.h"
#include "document/Opening.h"
#include "document/TimeCode.h"

#include <gtest/gtest.h>

#include <tuple>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;

enum class Ends { CrLf, Lf, Cr, Mixed };
enum class Encoding { Plain, Utf8Mark, Utf16Le, Utf16Be };

// Five subtitles whose texts hold non-ASCII letters, a character beyond U+FFFF and U+2029.
Lines Generate(SubtitleFormat format) {
    const char* const kText = "caf\xC3\xA9 \xF0\x9F\x98\x80 a\xE2\x80\xA9z";
    Lines lines;
    if (format == sfSubViewer2)
        lines = {"[INFORMATION]", "[TITLE]Generated",
                 "[AUTHOR]",      "[SOURCE]",
                 "[PRG]",         "[FILEPATH]",
                 "[DELAY]0",      "[CD TRACK]0",
                 "[COMMENT]",     "[END INFORMATION]",
                 "[SUBTITLE]",    "[COLF]&HFFFFFF,[STYLE]bd,[SIZE]18,[FONT]Arial"};
    for (int i = 0; i < 5; ++i) {
        const std::int32_t start = 1000 + 2000 * i, end = start + 1500; // milliseconds
        const std::string text = kText + std::to_string(i);
        if (format == sfMicroDVD) {
            lines.push_back("{" + std::to_string(start / 40) + "}{" + std::to_string(end / 40) +
                            "}" + text);
        } else if (format == sfSubRip) {
            lines.push_back(std::to_string(i + 1));
            lines.push_back(TimeToText(sfSubRip, start) + " --> " + TimeToText(sfSubRip, end));
            lines.push_back(text);
            lines.push_back("");
        } else {
            lines.push_back(TimeToText(sfSubViewer2, start) + "," + TimeToText(sfSubViewer2, end));
            lines.push_back(text);
            lines.push_back("");
        }
    }
    return lines;
}

std::string FileBytes(const Lines& lines, Ends ends, bool finalEnd, Encoding encoding) {
    static const char* const kMixed[] = {"\r\n", "\n", "\r"};
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (i + 1 == lines.size() && !finalEnd)
            break;
        text += ends == Ends::CrLf ? "\r\n"
                : ends == Ends::Lf ? "\n"
                : ends == Ends::Cr ? "\r"
                                   : kMixed[i % 3];
    }
    switch (encoding) {
    case Encoding::Utf8Mark:
        return std::string(kUtf8ByteOrderMark) + text;
    case Encoding::Utf16Le:
        return std::string(kUtf16LeByteOrderMark) + Utf8ToUtf16(text, false);
    case Encoding::Utf16Be:
        return std::string(kUtf16BeByteOrderMark) + Utf8ToUtf16(text, true);
    default:
        return text;
    }
}

using Param = std::tuple<SubtitleFormat, Ends, bool, Encoding>;

class GeneratedFile : public testing::TestWithParam<Param> {
  protected:
    void SetUp() override {
        const auto [format, ends, finalEnd, encoding] = GetParam();
        m_bytes = FileBytes(Generate(format), ends, finalEnd, encoding);
        m_path = m_folder.path(format == sfSubRip ? "in.srt" : "in.sub").string();
        test::WriteBytes(m_path, m_bytes);
    }
    test::TempFolder m_folder;
    std::string m_path, m_bytes;
};

TEST_P(GeneratedFile, OpenedAndSavedWithoutAChangeKeepsEveryByte) {
    SubtitleDocument doc;
    cli::OpenSubtitle(doc, m_path);
    ASSERT_EQ(doc.SubtitleFormat, std::get<0>(GetParam()));
    ASSERT_EQ(doc.SubtitleCount, 5);
    WriteSubtitleLines(doc, m_folder.path("out").string());
    EXPECT_EQ(test::ReadBytes(m_folder.path("out")), m_bytes);
}

TEST_P(GeneratedFile, ReTimedOnlyTheTimeFieldsChange) {
    // The first anchor one second later, the last two seconds later.
    const SubtitleFormat format = std::get<0>(GetParam());
    SubtitleDocument before;
    cli::OpenSubtitle(before, m_path);
    const std::int32_t shift = format == sfMicroDVD ? 25 : 1000;
    const std::string out = m_folder.path("out").string();
    const test::CliResult run =
        test::RunCli({"sync", m_path, "--first", TimeToText(format, before.start(0) + shift),
                      "--last", TimeToText(format, before.start(4) + 2 * shift), "-o", out});
    ASSERT_EQ(run.code, 0) << run.err;

    SubtitleDocument after;
    cli::OpenSubtitle(after, out);
    ASSERT_EQ(after.SubtitleCount, 5);
    std::vector<bool> timing(before.SubtitleLines.size(), false);
    EXPECT_EQ(after.start(0), before.start(0) + shift);
    EXPECT_NE(after.start(4), before.start(4));
    for (std::size_t i = 0; i < 5; ++i)
        timing[static_cast<std::size_t>(before.SubtitleLineIndex[i])] = true;
    const test::RawFile source = test::SplitRawFile(m_bytes);
    const test::RawFile written = test::SplitRawFile(test::ReadBytes(out));
    EXPECT_EQ(written.mark, source.mark);
    ASSERT_EQ(written.lines.size(), source.lines.size());
    for (std::size_t line = 0; line < source.lines.size(); ++line) {
        EXPECT_EQ(written.lines[line].end, source.lines[line].end) << line;
        if (!timing[line]) {
            EXPECT_EQ(written.lines[line].bytes, source.lines[line].bytes) << line;
        }
    }
}

std::string Name(const testing::TestParamInfo<Param>& info) {
    static const char* const kFormats[] = {"", "MicroDVD", "SubRip", "SubViewer2"};
    static const char* const kEnds[] = {"CrLf", "Lf", "Cr", "Mixed"};
    static const char* const kEncodings[] = {"Plain", "Utf8Mark", "Utf16Le", "Utf16Be"};
    const auto [format, ends, finalEnd, encoding] = info.param;
    return std::string(kFormats[format]) + kEnds[static_cast<int>(ends)] +
           (finalEnd ? "Ended" : "Unended") + kEncodings[static_cast<int>(encoding)];
}

INSTANTIATE_TEST_SUITE_P(
    Styles, GeneratedFile,
    testing::Combine(testing::Values(sfMicroDVD, sfSubRip, sfSubViewer2),
                     testing::Values(Ends::CrLf, Ends::Lf, Ends::Cr, Ends::Mixed), testing::Bool(),
                     testing::Values(Encoding::Plain, Encoding::Utf8Mark, Encoding::Utf16Le,
                                     Encoding::Utf16Be)),
    Name);

} // namespace
} // namespace velkar
