#include "avi/AviPars.h"

#include "document/ReadableFile.h"

#include <algorithm>
#include <fstream>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velkar {

namespace {

std::uint32_t LoadU32(const unsigned char* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
           std::uint32_t{b[3]} << 24;
}

std::uint16_t LoadU16(const unsigned char* b) {
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

constexpr unsigned char Upper(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// Four code characters as one little-endian number, so a code compares as one integer.
constexpr std::uint32_t Pack(const char (&code)[5]) {
    return std::uint32_t{static_cast<unsigned char>(code[0])} |
           std::uint32_t{static_cast<unsigned char>(code[1])} << 8 |
           std::uint32_t{static_cast<unsigned char>(code[2])} << 16 |
           std::uint32_t{static_cast<unsigned char>(code[3])} << 24;
}

std::uint32_t LoadUpperCode(const unsigned char* b) {
    return std::uint32_t{Upper(b[0])} | std::uint32_t{Upper(b[1])} << 8 |
           std::uint32_t{Upper(b[2])} << 16 | std::uint32_t{Upper(b[3])} << 24;
}

// The kind of the code at `b`, or 0 when it is not one the scan recognises.
std::int32_t KindOf(const unsigned char* b) {
    switch (LoadUpperCode(b)) {
    case Pack("RIFF"):
        return ckRiff;
    case Pack("AVIH"):
        return ckAvih;
    case Pack("IART"):
        return ckIart;
    case Pack("ICMT"):
        return ckIcmt;
    case Pack("ICOP"):
        return ckIcop;
    case Pack("INAM"):
        return ckInam;
    case Pack("IPRD"):
        return ckIprd;
    case Pack("ISBJ"):
        return ckIsbj;
    case Pack("ISRC"):
        return ckIsrc;
    case Pack("STRF"):
        return ckStrf;
    case Pack("DISP"):
        return ckDisp;
    case Pack("STRH"):
        return ckStrh;
    case Pack("STRD"):
        return ckStrd;
    case Pack("MOVI"):
        return ckMovi;
    case Pack("IDX1"):
        return ckIdx1;
    case Pack("JUNK"):
        return ckJunk;
    case Pack("PRMI"):
        return ckPrmi;
    case Pack("LIST"):
        return ckList;
    default:
        return 0;
    }
}

// The bytes a recognised code can begin with, in either case.
constexpr std::array<bool, 256> kCodeStart = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {'R', 'A', 'I', 'S', 'D', 'M', 'J', 'P', 'L'}) {
        table[c] = true;
        table[c + ('a' - 'A')] = true;
    }
    return table;
}();

#if defined(__SSE2__)
// For each of the 16 bytes at `at`, all bits set when it is a letter from "A" to `last` in
// either case. Clearing bit 5 folds "a" .. "z" onto "A" .. "Z" and moves no other byte onto a
// letter; after subtracting "A" the letters wanted are the bytes 0 .. last - "A".
__m128i LettersUpTo(const unsigned char* at, char last) {
    const __m128i folded = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)),
                                         _mm_set1_epi8(static_cast<char>(0xDF)));
    const __m128i offset = _mm_sub_epi8(folded, _mm_set1_epi8('A'));
    return _mm_cmpeq_epi8(_mm_min_epu8(offset, _mm_set1_epi8(static_cast<char>(last - 'A'))),
                          offset);
}
#endif

// The first byte in [b, end) that can begin a recognised code, or `end`; the byte at `end` must
// be readable too. Most bytes of movie data and all of a file's zeros fail this test, so it
// decides the speed of a scan through a large file that is no AVI. With SSE2 a coarser test
// passes over 16 bytes at a time: every code begins with a letter from "A" to "S" followed by
// one from "A" to "V", and only the bytes that pass it are looked up one by one.
const unsigned char* NextCodeStart(const unsigned char* b, const unsigned char* end) {
#if defined(__SSE2__)
    while (end - b >= 16) {
        const __m128i pairs = _mm_and_si128(LettersUpTo(b, 'S'), LettersUpTo(b + 1, 'V'));
        for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(pairs)); mask != 0;
             mask &= mask - 1)
            if (const unsigned char* c = b + __builtin_ctz(mask); kCodeStart[*c])
                return c;
        b += 16;
    }
#endif
    while (b != end && !kCodeStart[*b])
        ++b;
    return b;
}

// A file read through one block-sized window.
class BlockFile {
  public:
    BlockFile(const std::string& fileName, std::size_t blockBytes)
        : m_buffer(std::max<std::size_t>(blockBytes, 16)) {
        // Only a regular file is opened: a folder has no bytes, and a pipe or a device could
        // keep the reader waiting for ever. Anything else counts as a file that cannot be opened.
        if (!IsRegularFile(fileName) || (m_file.open(fileName, std::ios::binary), !m_file))
            return;
        m_file.seekg(0, std::ios::end);
        m_size = m_file.tellg();
    }

    // The file's size in bytes, -1 when it could not be opened. Shrinks to what could be read
    // when the file turns out shorter than it was.
    std::int64_t size() const { return m_size; }
    // Offset just past the last byte in the window.
    std::int64_t windowEnd() const { return m_start + static_cast<std::int64_t>(m_length); }

    // The bytes [offset, offset + count) of the file, count at most 16; nullptr when they are
    // not all in the file. Valid until the next call. A block is read only when the window
    // does not hold them already; it then starts at `offset`.
    const unsigned char* bytes(std::int64_t offset, std::size_t count) {
        const auto end = offset + static_cast<std::int64_t>(count);
        if (offset >= m_start && end <= windowEnd())
            return m_buffer.data() + (offset - m_start);
        if (offset < 0 || end > m_size)
            return nullptr;
        const auto want = static_cast<std::streamsize>(
            std::min<std::int64_t>(static_cast<std::int64_t>(m_buffer.size()), m_size - offset));
        m_file.clear();
        m_file.seekg(offset);
        m_file.read(reinterpret_cast<char*>(m_buffer.data()), want);
        m_start = offset;
        m_length = static_cast<std::size_t>(std::max<std::streamsize>(m_file.gcount(), 0));
        if (windowEnd() < end) {
            m_size = windowEnd();
            return nullptr;
        }
        return m_buffer.data();
    }

  private:
    std::ifstream m_file;
    std::vector<unsigned char> m_buffer;
    std::int64_t m_size = -1;
    std::int64_t m_start = 0;
    std::size_t m_length = 0;
};

// Ends ReadAviHeaders early: a field beyond the end of the file, or a division by zero.
struct StopReading {};

// Fields of the file at absolute offsets.
class HeaderFile {
  public:
    explicit HeaderFile(const std::string& fileName) {
        if (IsRegularFile(fileName))
            m_file.open(fileName, std::ios::binary);
    }

    bool isOpen() const { return m_file.is_open(); }

    void read(std::int64_t offset, unsigned char* out, std::size_t count) {
        if (offset < 0)
            throw StopReading{};
        m_file.clear();
        m_file.seekg(offset);
        m_file.read(reinterpret_cast<char*>(out), static_cast<std::streamsize>(count));
        if (m_file.gcount() != static_cast<std::streamsize>(count))
            throw StopReading{};
    }
    std::uint32_t u32(std::int64_t offset) {
        unsigned char b[4];
        read(offset, b, 4);
        return LoadU32(b);
    }
    std::int32_t i32(std::int64_t offset) { return static_cast<std::int32_t>(u32(offset)); }
    std::uint16_t u16(std::int64_t offset) {
        unsigned char b[2];
        read(offset, b, 2);
        return LoadU16(b);
    }
    std::array<unsigned char, 4> code(std::int64_t offset) {
        std::array<unsigned char, 4> b;
        read(offset, b.data(), 4);
        return b;
    }

  private:
    std::ifstream m_file;
};

struct HandlerName {
    const char* code;
    const char* text;
};

constexpr HandlerName kHandlerNames[] = {
    {"ULTI", " - IBM Ultimotion"},
    {"JPEG", " - JPEG"},
    {"MJPG", " - Motion JPEG"},
    {"IJPG", " - Intergraph JPEG"},
    {"CRAM", " - Microsoft Video 1"},
    {"WHAM", " - Microsoft Video 1"},
    {"MSVC", " - Microsoft Video 1"},
    {"CVID", " - Radius Cinepak"},
    {"IV31", " - Intel Indeo R3.1"},
    {"IV32", " - Intel Indeo R3.2"},
    {"IV41", " - Intel Indeo R4.1"},
    {"YUV9", " - Intel RAW YUV9"},
    {"CYUV", " - Creative CYUV"},
    {"RGB ", " - Uncompressed"},
    {"RLE8", " - Run Length Encoded"},
    {"RPZA", " - Editable MPEG"},
    {"MPG4", " - Apple Video 16 bit"},
    {"MP41", " - MPEG4 Standard"},
    {"MP42", " - MPEG4 V1"},
    {"DIB ", " - MPEG4 V2"},
    {"DIV1", " - MS Bitmap"},
    {"DIV2", " - MPEG4 V1 Cracked ;)"},
    {"DIV3", " - MPEG4 V2 Cracked ;)"},
    {"DIV4", " - MPEG4 V3 Cracked ;)"},
    {"MRLE", " - MPEG4 V4 Cracked ;)"},
};

// The handler code as stored, each byte outside printable ASCII shown as "?" so that no
// control character or NUL reaches the report, then the description of the upper-cased code.
std::string CompressionTextOf(const std::array<unsigned char, 4>& code) {
    std::string text;
    for (unsigned char c : code)
        text.push_back(c >= 0x20 && c <= 0x7E ? static_cast<char>(c) : '?');
    const std::uint32_t upper = LoadUpperCode(code.data());
    for (const HandlerName& row : kHandlerNames)
        if (LoadUpperCode(reinterpret_cast<const unsigned char*>(row.code)) == upper)
            return text + row.text;
    return text + " - Unknown";
}

std::string WaveTypeTextOf(std::uint16_t tag) {
    std::string text = "Wave Type: " + std::to_string(tag);
    switch (tag) {
    case 1:
        return text + " -  - Microsoft PCM";
    case 65:
        return text + " - IBM mu-law format";
    case 66:
        return text + " - IBM a-law format";
    case 67:
        return text + " - IBM AVC Adaptive Differential PCM format";
    case 85:
        return text + " - MP3 Audio Layer";
    case 353:
        return text + " - Windows Media Audio Format";
    default:
        return text + " - Unknown Wave format";
    }
}

// Offset of an entry's data in the file.
std::int64_t DataOffset(const AviChunk& entry) {
    return entry.Position + 3;
}

void ReadMainHeader(HeaderFile& file, std::int64_t data, AviInfo& info) {
    info.MicroSecPerFrame = file.i32(data);
    info.MaxBytesPerSec = file.i32(data + 4);
    info.TotalFrames = file.i32(data + 16);
    info.StreamCount = file.i32(data + 24);
    info.FrameWidth = file.i32(data + 32);
    info.FrameHeight = file.i32(data + 36);
}

// Rates are worked out in extended precision and stored as 32-bit floats; a zero divisor
// ends the reading, as the report could only show a meaningless figure for it.
void ReadVideoStream(HeaderFile& file, std::int64_t data, AviInfo& info) {
    info.CompressionText = CompressionTextOf(file.code(data + 4));
    const std::uint32_t scale = file.u32(data + 20);
    const std::uint32_t rate = file.u32(data + 24);
    if (scale == 0)
        throw StopReading{};
    info.FramesPerSecond = static_cast<float>(static_cast<long double>(rate) / scale);
    if (info.FramesPerSecond == 0)
        throw StopReading{};
    info.DurationSec = static_cast<float>(static_cast<long double>(info.TotalFrames) /
                                          static_cast<long double>(info.FramesPerSecond));
    info.VideoQuality = file.i32(data + 40);
    info.ColourDepth = file.u16(data + 78);
}

void ReadAudioStream(HeaderFile& file, std::int64_t data, std::int64_t formatData, AviInfo& info) {
    const std::uint32_t scale = file.u32(data + 20);
    const std::uint32_t rate = file.u32(data + 24);
    const std::uint32_t start = file.u32(data + 28);
    if (scale == 0 || rate == 0)
        throw StopReading{};
    const long double perSecond = static_cast<long double>(rate) / scale;
    info.AudioDelay = static_cast<float>(start / perSecond);
    info.WaveTypeText = WaveTypeTextOf(file.u16(formatData));
    info.Channels = file.u16(formatData + 2);
    info.SampleRate = file.i32(formatData + 4);
    info.BitsPerSample = file.u16(formatData + 14);
}

} // namespace

AviChunks ScanAviChunks(const std::string& fileName, std::size_t blockBytes) {
    AviChunks result;
    BlockFile file(fileName, blockBytes);
    result.AviFileSize = file.size();
    auto& table = result.AviChunkTable;

    // A code is listed only with its whole size field, so the last candidate offset is 8
    // bytes before the end.
    std::int64_t p = 0;
    while (p + 8 <= file.size()) {
        const unsigned char* window = file.bytes(p, 8);
        if (window == nullptr)
            break;
        const unsigned char* const end = window + (file.windowEnd() - 8 - p) + 1;
        const unsigned char* b = window;
        std::int32_t kind = 0;
        while ((b = NextCodeStart(b, end)) != end && (kind = KindOf(b)) == 0)
            ++b;
        p += b - window;
        if (b == end)
            continue; // the next window starts at p

        std::uint32_t size = LoadU32(b + 4);
        std::int64_t next = p + 8;
        if (kind == ckDisp || kind == ckIdx1 || kind == ckJunk) {
            next = p + 8 + size;
        } else if (kind == ckMovi) {
            // The list size sits before the code; without it there is no end to skip to.
            const unsigned char* listSize = file.bytes(p - 4, 4);
            if (listSize == nullptr)
                break;
            size = LoadU32(listSize);
            // The list size counts the code itself, so a smaller one is damage; stepping past
            // the code keeps the scan moving forward.
            next = p + std::max<std::int64_t>(size, 4);
        }
        table[static_cast<std::size_t>(result.AviChunkCount)] = {kind, p + 5, size};
        if (static_cast<std::size_t>(++result.AviChunkCount) == table.size())
            break;
        p = next;
    }
    return result;
}

void ReadAviHeaders(const std::string& fileName, const AviChunks& chunks, AviInfo& info) {
    HeaderFile file(fileName);
    if (!file.isOpen())
        return;
    const auto count = static_cast<std::size_t>(std::clamp<std::int32_t>(
        chunks.AviChunkCount, 0, static_cast<std::int32_t>(kAviChunkTableSize)));
    const auto& table = chunks.AviChunkTable;
    try {
        // The last entry is never read on its own: an audio header takes its format from the
        // entry after it.
        for (std::size_t i = 0; i + 1 < count; ++i) {
            const std::int64_t data = DataOffset(table[i]);
            if (table[i].Kind == ckAvih) {
                ReadMainHeader(file, data, info);
            } else if (table[i].Kind == ckStrh) {
                const std::uint32_t type = LoadUpperCode(file.code(data).data());
                if (type == Pack("VIDS"))
                    ReadVideoStream(file, data, info);
                else if (type == Pack("AUDS"))
                    ReadAudioStream(file, data, DataOffset(table[i + 1]), info);
            }
        }
    } catch (const StopReading&) {
        // What was stored before the stop stays; the report shows it.
    }
}

} // namespace velkar
