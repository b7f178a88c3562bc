#include "AviTestFiles.h"
#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>

namespace velkar {
void PrintTo(const AviChunk& c, std::ostream* out) {
    *out << "{" << c.Kind << ", " << c.Position << ", " << c.Size << "}";
}
} // namespace velkar

namespace {

using namespace velkar;
using namespace velkar::test;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

AviChunks ScanBytes(std::string_view bytes, std::size_t blockBytes = kAviScanBlockBytes) {
    return ScanAviChunks(WriteTestFile("scanned.avi", bytes), blockBytes);
}

std::vector<AviChunk> Entries(const AviChunks& chunks) {
    return {chunks.AviChunkTable.begin(), chunks.AviChunkTable.begin() + chunks.AviChunkCount};
}

TEST(AviScan, ListsThePlainAviChunksInFileOrder) {
    VELKAR_MADE_AVI(path, "pcm.avi", kVideoPcmStereo);
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    const AviChunks chunks = ScanAviChunks(path);
    ASSERT_EQ(chunks.AviFileSize, size);
    std::vector<std::int32_t> kinds = Kinds(chunks);
    std::erase(kinds, ckJunk); // ffmpeg pads with JUNK where it likes
    ASSERT_GE(kinds.size(), 12u);
    EXPECT_THAT(
        std::vector(kinds.begin(), kinds.begin() + 9),
        ElementsAre(ckRiff, ckList, ckAvih, ckList, ckStrh, ckStrf, ckList, ckStrh, ckStrf));
    EXPECT_THAT(std::vector(kinds.end() - 3, kinds.end()), ElementsAre(ckList, ckMovi, ckIdx1));
    const auto& t = chunks.AviChunkTable;
    EXPECT_EQ(t[0], (AviChunk{ckRiff, 5, static_cast<std::uint32_t>(size - 8)}));
    EXPECT_EQ(t[2], (AviChunk{ckAvih, 0x18 + 5, 56}));
    // The movie list is skipped whole: the index comes right after it.
    const AviChunk& movi = t[chunks.AviChunkCount - 2];
    EXPECT_EQ(movi.Size, t[chunks.AviChunkCount - 3].Size);
    EXPECT_EQ(t[chunks.AviChunkCount - 1].Position, movi.Position - 5 + movi.Size + 5);
}

TEST(AviScan, SkipsJunkDispIndexAndMovieDataButLooksInsideOtherChunks) {
    const std::string movieList = Chunk("LIST", "movi" + Chunk("00dc", "avih0000"));
    const std::string bytes = Chunk("jUnK", "strh1234") + Chunk("Disp", "strf1234") +
                              Chunk("idx1", "LIST1234") + movieList + Chunk("inam", "strf1234") +
                              Chunk("JUNK", "odd") + std::string(1, '\0') + Chunk("AviH", "");
    const AviChunks chunks = ScanBytes(bytes);
    EXPECT_EQ(chunks.AviFileSize, static_cast<std::int64_t>(bytes.size()));
    EXPECT_THAT(Entries(chunks), ElementsAre(AviChunk{ckJunk, 5, 8}, AviChunk{ckDisp, 21, 8},
                                             AviChunk{ckIdx1, 37, 8}, AviChunk{ckList, 53, 20},
                                             AviChunk{ckMovi, 61, 20}, AviChunk{ckInam, 81, 8},
                                             AviChunk{ckStrf, 89, 0x34333231},
                                             AviChunk{ckJunk, 97, 3}, AviChunk{ckAvih, 109, 0}));
}

TEST(AviScan, EndsAtTheEndOfTheFileAndAlwaysMovesForward) {
    const struct {
        std::string bytes;
        std::vector<std::int32_t> kinds;
    } cases[] = {
        {"", {}},
        {std::string("RIFF\1\0\0", 7), {}},                            // size field cut off
        {Chunk("avih", "") + std::string("LIST\1\0", 6), {ckAvih}},    // the entries before it stay
        {Chunk("JUNK", 0xFFFFFFFF, "") + Chunk("strh", ""), {ckJunk}}, // skip past the end
        {Chunk("avih", 0xFFFFFFFF, "") + Chunk("strh", ""), {ckAvih, ckStrh}},
        {"movi" + U32(8) + Chunk("strh", ""), {}}, // no list size before the code
        {Chunk("LIST", 0, "movi") + Chunk("strh", ""), {ckList, ckMovi, ckStrh}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Kinds(ScanBytes(c.bytes)), c.kinds) << ::testing::PrintToString(c.bytes);
}

TEST(AviScan, FileThatCannotBeOpenedHasSizeMinusOneAndNoEntries) {
    for (const std::string& path :
         {WriteTestFile("x", "") + ".missing", std::filesystem::temp_directory_path().string()}) {
        const AviChunks chunks = ScanAviChunks(path);
        EXPECT_EQ(chunks.AviFileSize, -1) << path;
        EXPECT_EQ(chunks.AviChunkCount, 0) << path;
    }
}

TEST(AviScan, StopsWhenTheTableIsFull) {
    std::string bytes;
    for (int i = 0; i < 50; ++i)
        bytes += Chunk("strh", "");
    const AviChunks chunks = ScanBytes(bytes);
    ASSERT_EQ(chunks.AviChunkCount, 41);
    EXPECT_EQ(chunks.AviChunkTable[40], (AviChunk{ckStrh, 40 * 8 + 5, 0}));
}

// Random chunk soup and damaged copies of a real AVI, scanned through windows of odd sizes so
// that codes, size fields and list sizes straddle the window edges.
TEST(AviScan, BufferedScanGivesTheByteByByteResult) {
    static const char* const kPieces[] = {"RIFF", "avih", "Strh", "strf", "LIST", "movi",
                                          "MOVI", "idx1", "JUNK", "disp", "isbj", "RI"};
    std::mt19937 random(4);
    std::vector<std::string> files;
    for (int n = 0; n < 150; ++n) {
        std::string bytes;
        const int pieces = static_cast<int>(random() % 60);
        for (int i = 0; i < pieces; ++i) {
            bytes += kPieces[random() % std::size(kPieces)];
            const std::uint32_t small = random() % 48;
            bytes += random() % 8 == 0 ? U32(random()) : U32(small);
            bytes.append(random() % 24, static_cast<char>(random()));
        }
        files.push_back(bytes);
    }
    if (const std::string path = MadeAvi("pcm.avi", kVideoPcmStereo); !path.empty()) {
        const std::string avi = ReadBytes(path);
        for (int n = 0; n < 40; ++n) {
            std::string damaged = avi.substr(0, random() % avi.size());
            for (int i = 0; i < 4; ++i)
                damaged[random() % damaged.size()] = static_cast<char>(random());
            files.push_back(damaged);
        }
    }
    for (const std::string& bytes : files) {
        const auto expected = ByteByByteScan(bytes);
        for (std::size_t block :
             {std::size_t{16}, std::size_t{17}, std::size_t{61}, kAviScanBlockBytes})
            ASSERT_THAT(Entries(ScanBytes(bytes, block)), ElementsAreArray(expected))
                << "block " << block << ": " << ::testing::PrintToString(bytes);
    }
}

TEST(AviScan, ReportsSizesAndOffsetsBeyond4GiB) {
    const std::string path =
        WriteTestFile("big.avi", Chunk("RIFF", "AVI ") + Chunk("JUNK", 0xFFFFFF00, ""));
    const std::int64_t header = 12 + 8 + 0xFFFFFF00LL;
    std::string tail = Chunk("avih", std::string(56, '\0')) + Chunk("strh", "");
    PutU32(tail, 8, 41708);
    {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(header);
        if (!file.write(tail.data(), std::ssize(tail)))
            GTEST_SKIP() << "no room for a sparse 4 GiB file";
    }
    const AviChunks chunks = ScanAviChunks(path);
    EXPECT_EQ(chunks.AviFileSize, header + std::ssize(tail));
    EXPECT_THAT(Entries(chunks),
                ElementsAre(AviChunk{ckRiff, 5, 4}, AviChunk{ckJunk, 17, 0xFFFFFF00},
                            AviChunk{ckAvih, header + 5, 56}, AviChunk{ckStrh, header + 69, 0}));
    AviInfo info;
    ReadAviHeaders(path, chunks, info);
    EXPECT_EQ(info.MicroSecPerFrame, 41708);
    std::filesystem::remove(path);
}

} // namespace
