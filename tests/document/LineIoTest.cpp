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

struct FileCase {
    std::string bytes;
    Lines lines;
    std::string mark;
};

class FileBytes : public testing::TestWithParam<FileCase> {};

// Read and written back unchanged: every line end as it was, a last line without one, the
// byte-order mark, UTF-16 in its own byte order.
TEST_P(FileBytes, AreWrittenBackAsTheyWereRead) {
    test::TempFolder folder;
    test::WriteBytes(folder.path("in.srt"), GetParam().bytes);
    SubtitleDocument doc;
    ReadSubtitleLines(doc, folder.path("in.srt"));
    EXPECT_EQ(doc.SubtitleLines, GetParam().lines);
    EXPECT_EQ(doc.ByteOrderMark, GetParam().mark);
    WriteSubtitleLines(doc, folder.path("out.srt"));
    EXPECT_EQ(test::ReadBytes(folder.path("out.srt")), GetParam().bytes);
}

const Lines kSubRip{"1", "00:00:01,000 --> 00:00:02,000", "Hi", ""};

INSTANTIATE_TEST_SUITE_P(
    LineEndsAndMarks, FileBytes,
    testing::Values(FileCase{"1\r\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n\r\n", kSubRip, ""},
                    FileCase{"1\n00:00:01,000 --> 00:00:02,000\nHi\n\n", kSubRip, ""},
                    FileCase{"1\r00:00:01,000 --> 00:00:02,000\rHi\r\r", kSubRip, ""},
                    FileCase{"1\n00:00:01,000 --> 00:00:02,000\r\nHi\r\n\n", kSubRip, ""},
                    FileCase{"1\n00:00:01,000 --> 00:00:02,000\rHi", {"1", kSubRip[1], "Hi"}, ""},
                    FileCase{"\xEF\xBB\xBF"
                             "1\r00:00:01,000 --> 00:00:02,000\nHi\r\n\r\n",
                             kSubRip, "\xEF\xBB\xBF"},
                    // U+00E9 and U+1F600 (a surrogate pair) in UTF-16 LE and BE.
                    FileCase{std::string("\xFF\xFE"
                                         "1\0\r\0\n\0\xE9\0\x3D\xD8\x00\xDE\n\0",
                                         16),
                             {"1", "\xC3\xA9\xF0\x9F\x98\x80"},
                             "\xFF\xFE"},
                    FileCase{std::string("\xFE\xFF"
                                         "\0"
                                         "1\0\r\0\n\0\xE9\xD8\x3D\xDE\x00\0\r",
                                         16),
                             {"1", "\xC3\xA9\xF0\x9F\x98\x80"},
                             "\xFE\xFF"},
                    FileCase{"\xFF\xFE", {}, "\xFF\xFE"}, FileCase{"", {}, ""}));

struct RefusedCase {
    std::string bytes;
    const char* message;
};

class RefusedSubtitleFile : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedSubtitleFile, IsNotOpened) {
    test::TempFolder folder;
    test::WriteBytes(folder.path("in.srt"), GetParam().bytes);
    SubtitleDocument doc;
    EXPECT_THAT([&] { ReadSubtitleLines(doc, folder.path("in.srt")); },
                testing::ThrowsMessage<VelkarError>(testing::StrEq(GetParam().message)));
}

constexpr const char* kNul = "The Subtitle file holds NUL bytes";
constexpr const char* kUtf16 = "The Subtitle file is not valid UTF-16";

INSTANTIATE_TEST_SUITE_P(
    NulBytesAndUtf16, RefusedSubtitleFile,
    testing::Values(RefusedCase{std::string("ab\ncd\0ef\ngh", 11), kNul},
                    RefusedCase{std::string("\0abc", 4), kNul},
                    RefusedCase{std::string("abc\0\0\0\n", 7), kNul},
                    RefusedCase{std::string("\xEF\xBB\xBF\0a", 5), kNul},
                    RefusedCase{std::string("\xFF\xFE"
                                            "a\0\0\0b\0",
                                            8),
                                kNul},
                    RefusedCase{std::string("\xFE\xFF\0\0\0a", 6), kNul},
                    RefusedCase{"\xFF\xFE"
                                "a",
                                kUtf16},                     // an odd byte that is no NUL
                    RefusedCase{"\xFF\xFE\x3D\xD8", kUtf16}, // a high surrogate alone
                    RefusedCase{"\xFF\xFE\x3D\xD8"
                                "a",
                                kUtf16}, // ... before no low one
                    RefusedCase{std::string("\xFF\xFE\x3D\xD8"
                                            "a\0",
                                            6),
                                kUtf16},
                    RefusedCase{std::string("\xFE\xFF\xDE\x00\xD8\x3D", 6), kUtf16})); // low first

TEST(SubtitleFiles, NulBytesThatPadTheEndAreDropped) {
    test::TempFolder folder;
    for (const std::string& bytes : {std::string("a\r\nb\0\0", 6), std::string("a\r\nb\0", 5),
                                     std::string("\xFF\xFE"
                                                 "a\0\r\0\n\0b\0\0\0\0",
                                                 13)}) {
        test::WriteBytes(folder.path("in.srt"), bytes);
        SubtitleDocument doc;
        ReadSubtitleLines(doc, folder.path("in.srt"));
        EXPECT_EQ(doc.SubtitleLines, (Lines{"a", "b"}));
    }
}

// WebVTT reads a NUL byte as a character (U+FFFD): a file that begins with its signature keeps
// them inside its lines and writes them back; one that only looks like it is refused.
TEST(SubtitleFiles, WebVttKeepsNulBytesAsCharactersOthersRefuseThem) {
    test::TempFolder folder;
    const std::string body("WEBVTT\n\0\n\n\0 id\n00:00.000 --> 00:01.000\nte\0xt\r\n\0", 47);
    for (const std::string& bytes :
         {body, "\xEF\xBB\xBF" + body,
          "\xFF\xFE" + Utf8ToUtf16(body, false) + std::string(4, '\0')}) {
        test::WriteBytes(folder.path("in.vtt"), bytes);
        SubtitleDocument doc;
        ReadSubtitleLines(doc, folder.path("in.vtt"));
        EXPECT_EQ(doc.SubtitleLines,
                  (Lines{"WEBVTT", std::string(1, '\0'), "", std::string("\0 id", 4),
                         "00:00.000 --> 00:01.000", std::string("te\0xt", 5)}));
        // The NUL after the last line end pads the file: the rest comes back byte for byte.
        const std::string unpadded = bytes.substr(0, bytes.size() - (bytes[0] == '\xFF' ? 6 : 1));
        EXPECT_EQ(SubtitleFileBytes(doc), unpadded);
    }
    for (const std::string& bytes :
         {std::string("WEBVTTX\n\0\n", 10), std::string("\nWEBVTT\0\n", 9),
          std::string("1\n00:00:01,000 --> 00:00:02,000\na\0b\n", 36)}) {
        test::WriteBytes(folder.path("in.vtt"), bytes);
        SubtitleDocument doc;
        EXPECT_THROW(ReadSubtitleLines(doc, folder.path("in.vtt")), NulBytesError) << bytes;
    }
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
