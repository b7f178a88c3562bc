#include "AviTestFiles.h"

#include "TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>

namespace fs = std::filesystem;

namespace velkar::test {

#define VELKAR_TESTSRC "-f lavfi -i testsrc=duration=0.4:size=64x48:rate=25 "

const char* const kVideoOnlyXvid = VELKAR_TESTSRC "-c:v mpeg4 -tag:v XVID";
const char* const kVideoPcmStereo =
    VELKAR_TESTSRC "-f lavfi -i sine=duration=0.4:sample_rate=44100 -ac 2 -c:v mpeg4 "
                   "-c:a pcm_s16le";
const char* const kDiv3Mp3Mono =
    VELKAR_TESTSRC "-f lavfi -i sine=duration=0.4:sample_rate=22050 -ac 1 -c:v msmpeg4 "
                   "-tag:v DIV3 -c:a libmp3lame";
const char* const kCinepak = VELKAR_TESTSRC "-c:v cinepak";
const char* const kUncompressed24 = VELKAR_TESTSRC "-c:v rawvideo -pix_fmt bgr24";
const char* const kMp3MonoThenPcmStereo =
    VELKAR_TESTSRC "-f lavfi -i sine=duration=0.4:sample_rate=22050 "
                   "-f lavfi -i sine=duration=0.4:sample_rate=44100 -map 0 -map 1 -map 2 "
                   "-c:v mpeg4 -c:a:0 libmp3lame -ac:a:0 1 -c:a:1 pcm_s16le -ac:a:1 2";

namespace {

const TempFolder& Folder() {
    static const TempFolder folder;
    return folder;
}

} // namespace

std::string MadeAvi(const std::string& name, const std::string& arguments) {
    const std::string path = Folder().path(name).string();
    if (!fs::exists(path)) {
        const std::string command =
            "ffmpeg -nostdin -y -loglevel error " + arguments + " '" + path + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 || !fs::exists(path))
            return {};
    }
    return path;
}

std::string WriteTestFile(const std::string& name, std::string_view bytes) {
    const fs::path path = Folder().path(name);
    WriteBytes(path, std::string(bytes));
    return path.string();
}

std::string U32(std::uint32_t value) {
    std::string bytes(4, '\0');
    PutU32(bytes, 0, value);
    return bytes;
}

void PutU32(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<char>(value >> (8 * i));
}

std::string Chunk(std::string_view code, std::string_view data) {
    return Chunk(code, static_cast<std::uint32_t>(data.size()), data);
}

std::string Chunk(std::string_view code, std::uint32_t size, std::string_view data) {
    return std::string(code) + U32(size) + std::string(data);
}

std::size_t DataOf(const std::string& bytes, std::string_view code, int nth) {
    std::size_t at = bytes.find(code);
    while (nth-- > 0)
        at = bytes.find(code, at + 1);
    return at + 8;
}

std::vector<std::int32_t> Kinds(const AviChunks& chunks) {
    std::vector<std::int32_t> kinds;
    for (std::int32_t i = 0; i < chunks.AviChunkCount; ++i)
        kinds.push_back(chunks.AviChunkTable[i].Kind);
    return kinds;
}

std::vector<AviChunk> ByteByByteScan(std::string_view bytes) {
    static const char* const kCodes[] = {"RIFF", "AVIH", "IART", "ICMT", "ICOP", "INAM",
                                         "IPRD", "ISBJ", "ISRC", "STRF", "DISP", "STRH",
                                         "STRD", "MOVI", "IDX1", "JUNK", "PRMI", "LIST"};
    const auto size = std::ssize(bytes);
    // A read of the file; false when it reaches beyond either end.
    auto read = [&](std::int64_t at, std::uint32_t& value) {
        if (at < 0 || at + 4 > size)
            return false;
        value = 0;
        for (int i = 3; i >= 0; --i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return true;
    };
    std::vector<AviChunk> entries;
    std::int64_t position = 0;
    std::int64_t after = 0;
    std::uint32_t ignored = 0;
    while (after < size - 1 && read(position, ignored)) {
        std::string code(bytes.substr(position, 4));
        for (char& c : code)
            c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        after = position + 4;
        const auto* found = std::find(std::begin(kCodes), std::end(kCodes), code);
        if (found == std::end(kCodes)) {
            position = after - 3;
            continue;
        }
        const auto kind = static_cast<std::int32_t>(found - std::begin(kCodes) + 1);
        std::uint32_t chunkSize = 0;
        if (!read(after, chunkSize))
            break;
        position = after + 4;
        if (kind == ckDisp || kind == ckIdx1 || kind == ckJunk) {
            position += chunkSize;
        } else if (kind == ckMovi) {
            if (!read(after - 8, chunkSize))
                break;
            position = after - 4 + std::max<std::uint32_t>(chunkSize, 4);
        }
        entries.push_back({kind, after + 1, chunkSize});
        if (entries.size() == kAviChunkTableSize)
            break;
    }
    return entries;
}

} // namespace velkar::test
