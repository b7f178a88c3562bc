#pragma once
// Test files for the AVI reader: AVIs made by ffmpeg on first use, damaged copies of them and
// hand-built chunk sequences, all in one TempFolder of the test process.

#include "avi/AviPars.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkar::test {

// Arguments for ffmpeg (inputs and codecs; the output file is added) of the test AVIs, all
// 64x48 pixels, 25 fps, 10 frames.
extern const char* const kVideoOnlyXvid;
extern const char* const kVideoPcmStereo;
extern const char* const kDiv3Mp3Mono;
extern const char* const kCinepak;
extern const char* const kUncompressed24;
extern const char* const kMp3MonoThenPcmStereo;

// The path of `name` made by ffmpeg with `arguments`; empty when ffmpeg is missing or fails.
std::string MadeAvi(const std::string& name, const std::string& arguments);

// Writes `bytes` as `name` in the test folder; returns its path.
std::string WriteTestFile(const std::string& name, std::string_view bytes);

std::string U32(std::uint32_t value);
void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value);
// A chunk: the code, its size field (the data's length unless given) and the data.
std::string Chunk(std::string_view code, std::string_view data);
std::string Chunk(std::string_view code, std::uint32_t size, std::string_view data);
// Offset of the data of the `nth` (0-based) chunk with this exact code in `bytes`.
std::size_t DataOf(const std::string& bytes, std::string_view code, int nth = 0);

std::vector<std::int32_t> Kinds(const AviChunks& chunks);

// The scan done literally a byte at a time, reading four bytes and stepping back three
// whenever they are no recognised code: what the buffered scan must give.
std::vector<AviChunk> ByteByByteScan(std::string_view bytes);

} // namespace velkar::test

// Declares `path` as the AVI ffmpeg makes, or skips the test when it cannot be made.
#define VELKAR_MADE_AVI(path, name, arguments)                                                     \
    const std::string path = ::velkar::test::MadeAvi(name, arguments);                             \
    if (path.empty())                                                                              \
    GTEST_SKIP() << "ffmpeg could not make " << (name)
