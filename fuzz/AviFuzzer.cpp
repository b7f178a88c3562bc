// libFuzzer entry point: any bytes as an AVI file. The chunk scan must list the same chunks
// whatever the size of its read window, and the headers read from them must be the same.

#include "avi/AviPars.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <tuple>
#include <unistd.h>

namespace {

// The fields of `info`, floats by their bits (so that NaN equals itself).
auto Fields(const velkar::AviInfo& i) {
    return std::make_tuple(i.MicroSecPerFrame, i.MaxBytesPerSec, i.TotalFrames, i.StreamCount,
                           i.FrameWidth, i.FrameHeight, i.CompressionText,
                           std::bit_cast<std::uint32_t>(i.FramesPerSecond),
                           std::bit_cast<std::uint32_t>(i.DurationSec), i.VideoQuality,
                           i.ColourDepth, std::bit_cast<std::uint32_t>(i.AudioDelay),
                           i.WaveTypeText, i.Channels, i.SampleRate, i.BitsPerSample);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkar;
    // The file lives in memory; the reader opens it by name like any other.
    static const int fd = ::memfd_create("avi", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        std::abort();

    const AviChunks large = ScanAviChunks(path);
    if (large.AviFileSize != static_cast<std::int64_t>(size))
        std::abort();
    for (std::size_t window : {std::size_t{16}, std::size_t{17}, std::size_t{64}}) {
        const AviChunks small = ScanAviChunks(path, window);
        if (small.AviFileSize != large.AviFileSize || small.AviChunkCount != large.AviChunkCount ||
            small.AviChunkTable != large.AviChunkTable)
            std::abort();
    }
    AviInfo fromLarge, again;
    ReadAviHeaders(path, large, fromLarge);
    ReadAviHeaders(path, ScanAviChunks(path, 16), again);
    if (Fields(fromLarge) != Fields(again))
        std::abort();
    return 0;
}
