#pragma once
// The AVI header reader: two passes over an AVI file that pull out the few facts the video
// information report shows. The first pass lists the RIFF chunk codes it recognises and where
// they are; the second reads the main header, the stream headers and their formats at those
// places. All numbers in the file are little-endian. Neither pass reports a failure: a file
// that cannot be read, or ends too early, just yields less.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace velkar {

// The chunk codes the scan recognises, in the order it tests them. Codes are compared after
// upper-casing the ASCII letters, so "avih", "AVIH" and "AviH" are the same code.
enum AviChunkKind : std::int32_t {
    ckRiff = 1,  // "RIFF"  scanning goes on right after the size field
    ckAvih = 2,  // "AVIH"  the main header
    ckIart = 3,  // "IART"
    ckIcmt = 4,  // "ICMT"
    ckIcop = 5,  // "ICOP"
    ckInam = 6,  // "INAM"
    ckIprd = 7,  // "IPRD"
    ckIsbj = 8,  // "ISBJ"
    ckIsrc = 9,  // "ISRC"
    ckStrf = 10, // "STRF"  a stream's format
    ckDisp = 11, // "DISP"  the chunk's data is skipped
    ckStrh = 12, // "STRH"  a stream header
    ckStrd = 13, // "STRD"
    ckMovi = 14, // "MOVI"  the whole list it opens is skipped
    ckIdx1 = 15, // "IDX1"  the chunk's data is skipped
    ckJunk = 16, // "JUNK"  the chunk's data is skipped
    ckPrmi = 17, // "PRMI"
    ckList = 18, // "LIST"  the list's contents are scanned
};

// One recognised code. The chunk's data starts at byte offset Position + 3 (0-based): Position
// is the offset just past the four-character code, plus one. Size is the size field as read,
// unsigned; for "MOVI" it is the size of the enclosing list, which the skip used.
struct AviChunk {
    std::int32_t Kind = 0;
    std::int64_t Position = 0;
    std::uint32_t Size = 0;

    friend bool operator==(const AviChunk&, const AviChunk&) = default;
};

// The chunk table holds this many entries; a scan that fills it stops there.
inline constexpr std::size_t kAviChunkTableSize = 41;

// What one scan found, in file order.
struct AviChunks {
    // The file's size in bytes; -1 when the file could not be opened.
    std::int64_t AviFileSize = -1;
    // Entries 0 .. AviChunkCount - 1 of AviChunkTable are in use.
    std::int32_t AviChunkCount = 0;
    std::array<AviChunk, kAviChunkTableSize> AviChunkTable{};
};

// The facts kept for the report. All zero or empty until a file supplies them; every read
// overwrites only the fields that file supplies, so the rest keep an earlier file's values.
struct AviInfo {
    std::int32_t MicroSecPerFrame = 0; // main header
    std::int32_t MaxBytesPerSec = 0;   // main header, bytes per second
    std::int32_t TotalFrames = 0;      // main header
    std::int32_t StreamCount = 0;      // main header
    std::int32_t FrameWidth = 0;       // main header, pixels
    std::int32_t FrameHeight = 0;      // main header, pixels
    // The video handler code as stored (bytes outside " " .. "~" shown as "?"), then " - " and
    // its description, or " - Unknown".
    std::string CompressionText;
    float FramesPerSecond = 0; // video dwRate / dwScale
    float DurationSec = 0;     // TotalFrames / FramesPerSecond, seconds
    std::int32_t VideoQuality = 0;
    std::uint16_t ColourDepth = 0; // bits per pixel
    float AudioDelay = 0;          // audio dwStart / (dwRate / dwScale), seconds
    // "Wave Type: ", the audio format tag in decimal, then its description.
    std::string WaveTypeText;
    std::uint16_t Channels = 0;
    std::int32_t SampleRate = 0; // samples per second
    std::uint16_t BitsPerSample = 0;
};

// Bytes the scan reads from the file at a time.
inline constexpr std::size_t kAviScanBlockBytes = std::size_t{1} << 20;

// Scans the file `fileName` for the recognised chunk codes, in file order, reading it in blocks
// of `blockBytes` (at least 16). At each offset that lies outside a skipped chunk the four bytes
// there are a candidate code; a recognised code is followed by its 32-bit size field:
//  - "DISP", "IDX1", "JUNK": scanning resumes after the chunk's data (size field + size);
//  - "MOVI": scanning resumes at the end of the enclosing list, the code's offset plus the list
//    size stored in the four bytes before the code (a list size below 4 counts as 4);
//  - every other code: scanning resumes right after the size field.
// Skips add no pad byte after an odd size. The scan ends at the end of the file (a code whose
// size field is cut off by it is not listed), when a skip goes past the end, when "MOVI" has no
// list size before it, and when the table is full. A file that cannot be opened gives
// AviFileSize -1 and no entries. Throws only std::bad_alloc.
AviChunks ScanAviChunks(const std::string& fileName, std::size_t blockBytes = kAviScanBlockBytes);

// Reads the headers at the places `chunks` lists (the scan of the same file) into `info`. Every
// entry but the last is looked at, in order:
//  - "AVIH": the main header's frame time, byte rate, frame count, stream count and frame size;
//  - "STRH" of type "vids": handler code, frame rate, duration, quality, and the colour depth
//    from offset 78 of the header's data (biBitCount when the 56-byte header is followed by
//    its format);
//  - "STRH" of type "auds": start delay from this header, then wave format tag, channels,
//    sample rate and bits per sample from the data of the next entry (normally its "STRF").
// A later stream of a type overwrites an earlier one. Reading stops, keeping what it stored so
// far, at a stream header whose dwScale or dwRate is 0 (for video with dwRate 0 after storing
// FramesPerSecond 0) and at a field that lies beyond the end of the file. A file that cannot be
// opened changes nothing. Throws only std::bad_alloc.
void ReadAviHeaders(const std::string& fileName, const AviChunks& chunks, AviInfo& info);

} // namespace velkar
