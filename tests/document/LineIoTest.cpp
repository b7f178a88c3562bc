#include "TestSupport.h"

#include "document/Errors.h"
#include "document/LineIo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velkar {
namespace {

using Lines = std::vector<std::string>;
using testing::ElementsAre;

TEST(SplitLines, EveryLineEndSplitsAndAFinalOneAddsNothing) {
    EXPECT_THAT(SplitLines("a\r\nb\rc\nd"), ElementsAre("a", "b", "c", "d"));
    EXPECT_THAT(SplitLines("a\r\nb\r\n"), ElementsAre("a", "b"));
    EXPECT_THAT(SplitLines("a\n\n"), ElementsAre("a", ""));
    EXPECT_THAT(SplitLines("\r\n"), ElementsAre(""));
    EXPECT_THAT(SplitLines("\n\r"), ElementsAre("", "")); // LF, then a lone CR
    EXPECT_THAT(SplitLines("a\r\r\nb"), ElementsAre("a", "", "b"));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(SplitLines, TextEndsAtFirstNul) {
    EXPECT_THAT(SplitLines(std::string("ab\ncd\0ef\ngh", 11)), ElementsAre("ab", "cd"));
    EXPECT_TRUE(SplitLines(std::string("\0abc", 4)).empty());
}

TEST(SplitLines, KeepsEveryOtherByte) {
    std::string bytes;
    for (int b = 1; b < 256; ++b)
        if (b != '\r' && b != '\n')
            bytes.push_back(static_cast<char>(b));
    EXPECT_THAT(SplitLines(bytes + "\n" + bytes), ElementsAre(bytes, bytes));
}

TEST(SubtitleFiles, LfOnlyAndCrOnlyReadLikeCrLfAndWriteCrLf) {
    test::TempFolder folder;
    const Lines expected{"1", "00:00:01,000 --> 00:00:02,000", "Hi", ""};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        std::string bytes;
        for (const auto& line : expected)
            bytes += line + end;
        test::WriteBytes(folder.path("in.srt"), bytes);
        SubtitleDocument doc;
        ReadSubtitleLines(doc, folder.path("in.srt"));
        EXPECT_EQ(doc.SubtitleLines, expected);
        WriteSubtitleLines(doc, folder.path("out.srt"));
        EXPECT_EQ(test::ReadBytes(folder.path("out.srt")),
                  "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n\r\n");
    }
}

TEST(SubtitleFiles, ByteOrderMarkIsKeptAsideAndWrittenBack) {
    test::TempFolder folder;
    const std::string bytes = "\xEF\xBB\xBF"
                              "1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n";
    test::WriteBytes(folder.path("bom.srt"), bytes);
    SubtitleDocument doc;
    ReadSubtitleLines(doc, folder.path("bom.srt"));
    EXPECT_EQ(doc.SubtitleLines.front(), "1");
    WriteSubtitleLines(doc, folder.path("copy.srt"));
    EXPECT_EQ(test::ReadBytes(folder.path("copy.srt")), bytes);
}

TEST(SubtitleFiles, MissingFileCannotBeOpened) {
    SubtitleDocument doc;
    EXPECT_THAT([&] { ReadSubtitleLines(doc, "/nonexistent/x.srt"); },
                testing::ThrowsMessage<FileOpenError>(
                    testing::StrEq("Cannot open file /nonexistent/x.srt")));
}

TEST(SubtitleFiles, FailedWriteLeavesTargetAndFolderUntouched) {
    test::TempFolder folder;
    EXPECT_THAT(
        [&] { WriteFileAtomically((folder.path("no-such-folder") / "x.srt"), "data"); },
        testing::ThrowsMessage<FileCreateError>(testing::StartsWith("Cannot create file ")));
    // A folder in the way of the target: the rename fails, the temporary file is removed.
    std::filesystem::create_directory(folder.path("taken"));
    test::WriteBytes(folder.path("taken") / "inside", "x");
    EXPECT_THROW(WriteFileAtomically(folder.path("taken"), "data"), FileCreateError);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder.path("")))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(SubtitleFiles, WriteReplacesExistingFileAndKeepsItsMode) {
    test::TempFolder folder;
    const auto target = folder.path("out.sub");
    test::WriteBytes(target, "old contents that are longer");
    ::chmod(target.c_str(), 0640);
    WriteFileAtomically(target, "new");
    EXPECT_EQ(test::ReadBytes(target), "new");
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

} // namespace
} // namespace velkar
