#include "document/Errors.h"
#include "document/LineIo.h"

#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkar {
namespace {

namespace fs = std::filesystem;
using testing::StrEq;
using testing::ThrowsMessage;

// What stands at a path to be read, and how the refusal ends.
struct Unreadable {
    const char* name;
    std::function<std::string(const test::TempFolder&)> make; // gives the path
    const char* reason;
};

// Each of the readers of whole files.
struct Reader {
    const char* name;
    std::function<void(const std::string&)> read;
};

class UnreadableFiles : public testing::TestWithParam<std::tuple<Unreadable, Reader>> {};

// None of these may be waited on or read until memory runs out: a pipe without a writer, an
// endless device, a sparse file above the limit.
TEST_P(UnreadableFiles, AreRefusedAtOnceWithTheReason) {
    const auto& [what, reader] = GetParam();
    test::TempFolder folder;
    const std::string path = what.make(folder);
    EXPECT_THAT([&] { reader.read(path); },
                ThrowsMessage<FileOpenError>(StrEq("Cannot open file " + path + what.reason)));
}

INSTANTIATE_TEST_SUITE_P(
    ReadableFile, UnreadableFiles,
    testing::Combine(
        testing::Values(
            Unreadable{"Fifo",
                       [](const test::TempFolder& f) {
                           const std::string p = f.path("pipe.srt");
                           EXPECT_EQ(::mkfifo(p.c_str(), 0644), 0);
                           return p;
                       },
                       ": Not a regular file"},
            Unreadable{"DevZero", [](const test::TempFolder&) { return std::string("/dev/zero"); },
                       ": Not a regular file"},
            Unreadable{"Folder",
                       [](const test::TempFolder& f) { return f.path("").parent_path().string(); },
                       ": Is a directory"},
            Unreadable{"SparseAboveLimit",
                       [](const test::TempFolder& f) {
                           const std::string p = f.path("huge.srt");
                           const int fd = ::open(p.c_str(), O_CREAT | O_WRONLY, 0644);
                           EXPECT_EQ(::ftruncate(fd, (off_t{256} << 20) + 1), 0);
                           ::close(fd);
                           return p;
                       },
                       ": The file is larger than 256 MiB"},
            Unreadable{"Missing",
                       [](const test::TempFolder& f) { return f.path("missing.srt").string(); },
                       ""}),
        testing::Values(Reader{"Subtitle",
                               [](const std::string& path) {
                                   SubtitleDocument doc;
                                   ReadSubtitleLines(doc, path);
                               }},
                        Reader{"Whole", [](const std::string& path) { ReadWholeFile(path); }})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
    });

std::size_t HeapInUse() {
    const struct mallinfo2 m = ::mallinfo2();
    return m.uordblks + m.hblkhd;
}

// A document costs its file's bytes and 16 bytes a line at most (where the line is, and its own
// line end), however short the lines.
TEST(ReadableFile, DocumentCostsItsBytesAndSixteenBytesALine) {
    test::TempFolder folder;
    constexpr std::size_t kLines = 4 << 20;
    for (const std::string_view lineEnd : {"\n", "\r\n", "x\r\n"}) {
        std::string bytes;
        for (std::size_t i = 0; i < kLines; ++i)
            bytes += lineEnd;
        test::WriteBytes(folder.path("lines.srt"), bytes);
        const std::size_t before = HeapInUse();
        SubtitleDocument doc;
        ReadSubtitleLines(doc, folder.path("lines.srt"));
        const std::size_t cost = HeapInUse() - before;
        ASSERT_EQ(doc.SubtitleLines.size(), kLines);
        if (before != 0) { // a sanitizer's allocator keeps no such count
            EXPECT_LE(cost, bytes.size() + 16 * kLines + (64 << 10)) << lineEnd.size();
        }
    }
}

} // namespace
} // namespace velkar
