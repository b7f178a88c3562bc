#include "AviTestFiles.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace {

using namespace velkar;
using namespace velkar::test;

AviInfo Read(const std::string& path, AviInfo info = {}) {
    ReadAviHeaders(path, ScanAviChunks(path), info);
    return info;
}

AviInfo ReadAviBytes(std::string_view bytes, const AviInfo& info = {}) {
    return Read(WriteTestFile("read.avi", bytes), info);
}

// Values no file gives, to see which fields a read leaves alone.
AviInfo Earlier() {
    AviInfo info;
    info.TotalFrames = info.VideoQuality = info.SampleRate = 77;
    info.CompressionText = info.WaveTypeText = "earlier";
    info.FramesPerSecond = info.DurationSec = info.AudioDelay = 77;
    info.ColourDepth = info.Channels = 77;
    return info;
}

TEST(AviHeaders, ReadsVideoWithPcmStereo) {
    VELKAR_MADE_AVI(path, "pcm.avi", kVideoPcmStereo);
    const AviInfo info = Read(path);
    EXPECT_EQ(info.MicroSecPerFrame, 40000);
    EXPECT_EQ(info.MaxBytesPerSec, 201400);
    EXPECT_EQ(info.TotalFrames, 10);
    EXPECT_EQ(info.StreamCount, 2);
    EXPECT_EQ(info.FrameWidth, 64);
    EXPECT_EQ(info.FrameHeight, 48);
    EXPECT_EQ(info.CompressionText, "FMP4 - Unknown");
    EXPECT_EQ(info.FramesPerSecond, 25.0f);
    EXPECT_EQ(info.DurationSec, 0.4f);
    EXPECT_EQ(info.VideoQuality, -1);
    EXPECT_EQ(info.ColourDepth, 24);
    EXPECT_EQ(info.AudioDelay, 0.0f);
    EXPECT_EQ(info.WaveTypeText, "Wave Type: 1 -  - Microsoft PCM");
    EXPECT_EQ(info.Channels, 2);
    EXPECT_EQ(info.SampleRate, 44100);
    EXPECT_EQ(info.BitsPerSample, 16);
}

TEST(AviHeaders, ReadsMp3Mono) {
    VELKAR_MADE_AVI(path, "div3.avi", kDiv3Mp3Mono);
    const AviInfo info = Read(path);
    EXPECT_EQ(info.WaveTypeText, "Wave Type: 85 - MP3 Audio Layer");
    EXPECT_EQ(info.Channels, 1);
    EXPECT_EQ(info.SampleRate, 22050);
}

TEST(AviHeaders, HandlerCodeKeepsItsCaseAndGetsTheDescriptionOfItsUpperCase) {
    const struct {
        const char* name;
        const char* arguments;
        const char* compression;
    } made[] = {{"div3.avi", kDiv3Mp3Mono, "DIV3 - MPEG4 V2 Cracked ;)"},
                {"cvid.avi", kCinepak, "cvid - Radius Cinepak"},
                {"xvid.avi", kVideoOnlyXvid, "XVID - Unknown"},
                {"rgb24.avi", kUncompressed24, "???? - Unknown"}}; // handler of four NULs
    for (const auto& m : made) {
        VELKAR_MADE_AVI(path, m.name, m.arguments);
        const AviInfo info = Read(path);
        EXPECT_EQ(info.CompressionText, m.compression);
        EXPECT_EQ(info.VideoQuality, -1) << m.name;
        EXPECT_EQ(info.ColourDepth, 24) << m.name;
    }
    VELKAR_MADE_AVI(path, "xvid.avi", kVideoOnlyXvid);
    std::string bytes = ReadBytes(path);
    const std::size_t handler = DataOf(bytes, "strh") + 4;
    const std::pair<std::string, std::string> patched[] = {
        {"RGB ", "RGB  - Uncompressed"},   {"dib ", "dib  - MPEG4 V2"},
        {"Ulti", "Ulti - IBM Ultimotion"}, {"mrle", "mrle - MPEG4 V4 Cracked ;)"},
        {"H264", "H264 - Unknown"},        {std::string("\tA\0\xE9", 4), "?A?? - Unknown"}};
    for (const auto& [code, text] : patched) {
        bytes.replace(handler, 4, code);
        EXPECT_EQ(ReadAviBytes(bytes).CompressionText, text);
    }
}

TEST(AviHeaders, WaveTypeAndDelayOfTheAudioStream) {
    VELKAR_MADE_AVI(path, "pcm.avi", kVideoPcmStereo);
    std::string bytes = ReadBytes(path);
    PutU32(bytes, DataOf(bytes, "strh", 1) + 28, 22050); // dwStart, in samples of 44100 Hz
    EXPECT_EQ(ReadAviBytes(bytes).AudioDelay, 0.5f);
    const std::pair<std::uint16_t, std::string> tags[] = {
        {65, "Wave Type: 65 - IBM mu-law format"},
        {353, "Wave Type: 353 - Windows Media Audio Format"},
        {255, "Wave Type: 255 - Unknown Wave format"},
        {65534, "Wave Type: 65534 - Unknown Wave format"}};
    for (const auto& [tag, text] : tags) {
        bytes[DataOf(bytes, "strf", 1)] = static_cast<char>(tag);
        bytes[DataOf(bytes, "strf", 1) + 1] = static_cast<char>(tag >> 8);
        EXPECT_EQ(ReadAviBytes(bytes).WaveTypeText, text);
    }
}

TEST(AviHeaders, LastStreamOfEachTypeWinsAndLaterFilesKeepWhatTheyDoNotSupply) {
    VELKAR_MADE_AVI(twoTracks, "two-tracks.avi", kMp3MonoThenPcmStereo);
    AviInfo info = Read(twoTracks);
    EXPECT_EQ(info.StreamCount, 3);
    EXPECT_EQ(info.WaveTypeText, "Wave Type: 1 -  - Microsoft PCM");
    EXPECT_EQ(info.Channels, 2);
    EXPECT_EQ(info.SampleRate, 44100);

    VELKAR_MADE_AVI(silent, "xvid.avi", kVideoOnlyXvid);
    info = Read(silent, info);
    EXPECT_EQ(info.StreamCount, 1);
    EXPECT_EQ(info.CompressionText, "XVID - Unknown");
    EXPECT_EQ(info.WaveTypeText, "Wave Type: 1 -  - Microsoft PCM");
    EXPECT_EQ(info.Channels, 2);
}

TEST(AviHeaders, ZeroScaleOrRateStopsTheReadingSilently) {
    VELKAR_MADE_AVI(path, "pcm.avi", kVideoPcmStereo);
    const std::string avi = ReadBytes(path);
    const std::size_t video = DataOf(avi, "strh", 0);
    const std::size_t audio = DataOf(avi, "strh", 1);

    std::string bytes = avi;
    PutU32(bytes, video + 20, 0); // dwScale
    AviInfo info = ReadAviBytes(bytes, Earlier());
    EXPECT_EQ(info.TotalFrames, 10); // the main header comes first
    EXPECT_EQ(info.CompressionText, "FMP4 - Unknown");
    EXPECT_EQ(info.FramesPerSecond, 77);
    EXPECT_EQ(info.VideoQuality, 77);
    EXPECT_EQ(info.WaveTypeText, "earlier"); // no later entry is read

    bytes = avi;
    PutU32(bytes, video + 24, 0); // dwRate
    info = ReadAviBytes(bytes, Earlier());
    EXPECT_EQ(info.FramesPerSecond, 0);
    EXPECT_EQ(info.DurationSec, 77);
    EXPECT_EQ(info.VideoQuality, 77);
    EXPECT_EQ(info.Channels, 77);

    for (std::size_t field : {audio + 20, audio + 24}) {
        bytes = avi;
        PutU32(bytes, field, 0);
        info = ReadAviBytes(bytes, Earlier());
        EXPECT_EQ(info.ColourDepth, 24);
        EXPECT_EQ(info.AudioDelay, 77);
        EXPECT_EQ(info.WaveTypeText, "earlier");
    }
}

TEST(AviHeaders, DamagedFilesGiveWhatTheyHold) {
    VELKAR_MADE_AVI(path, "pcm.avi", kVideoPcmStereo);
    const std::string avi = ReadBytes(path);
    const std::size_t video = DataOf(avi, "strh", 0);

    // Cut short anywhere in the headers: a field is stored when all its bytes are there and its
    // header is not the last entry listed (an entry is listed with its whole size field).
    const std::size_t audioFormat = DataOf(avi, "strf", 1);
    for (std::size_t cut = 0; cut < audioFormat + 20; cut += 3) {
        const AviInfo info = ReadAviBytes(avi.substr(0, cut), Earlier());
        EXPECT_EQ(info.TotalFrames, cut >= DataOf(avi, "LIST", 1) ? 10 : 77) << cut;
        EXPECT_EQ(info.FramesPerSecond, cut >= DataOf(avi, "strf", 0) ? 25 : 77) << cut;
        EXPECT_EQ(info.ColourDepth, cut >= video + 80 ? 24 : 77) << cut;
        EXPECT_EQ(info.Channels, cut >= audioFormat + 4 ? 2 : 77) << cut;
    }

    // A chunk that reaches beyond the end ends the scan; what it found before is read.
    std::string bytes = avi;
    PutU32(bytes, bytes.find("JUNK") + 4, 0xFFFFFFF0);
    AviInfo info = ReadAviBytes(bytes, Earlier());
    EXPECT_EQ(info.FramesPerSecond, 25);
    EXPECT_EQ(info.WaveTypeText, "earlier");

    // Only the last entry holds the main header: it is not read.
    const std::string header = Chunk("avih", avi.substr(0x20, 56));
    EXPECT_EQ(ReadAviBytes(header, Earlier()).TotalFrames, 77);
    EXPECT_EQ(ReadAviBytes(header + Chunk("JUNK", ""), Earlier()).TotalFrames, 10);
}

TEST(AviHeaders, NonAviFilesAreReadForWhatCodesTheyHappenToHold) {
    std::mt19937 random(7);
    std::string noise(1 << 16, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    ReadAviBytes(noise); // anything may come of it, but no crash and no read past the end

    const std::string text = "A note on the avih" + U32(4) + U32(33333) + " and a strh" + U32(0);
    const AviInfo info = ReadAviBytes(text, Earlier());
    EXPECT_EQ(info.MicroSecPerFrame, 33333);
    EXPECT_EQ(info.TotalFrames, 77); // past the end of the file: the reading stops
}

TEST(AviHeaders, CorpusFiles) {
    const std::filesystem::path corpus = CorpusFolder();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus";
    const struct {
        const char* file;
        const char* compression;
        std::int32_t frames, width, height, rate;
        float fps;
    } files[] = {
        {"hachoir-smallville-s03e02-xvid-23.976fps-TRUNCATED.avi", "xvid - Unknown", 63324, 640,
         352, 48000, 2997.0f / 125},
        {"mimetype-2019-divx5-512x384-25fps.avi", "DX50 - Unknown", 600, 512, 384, 44100, 25},
        {"mimetype-2024-fmp4-96x54-15fps-odml.avi", "FMP4 - Unknown", 51, 96, 54, 48000, 15}};
    for (const auto& f : files) {
        const std::string path = (corpus / "avi" / f.file).string();
        if (!std::filesystem::exists(path))
            continue;
        const AviInfo info = Read(path);
        EXPECT_EQ(info.CompressionText, f.compression) << f.file;
        EXPECT_EQ(info.TotalFrames, f.frames) << f.file;
        EXPECT_EQ(info.FrameWidth, f.width) << f.file;
        EXPECT_EQ(info.FrameHeight, f.height) << f.file;
        EXPECT_EQ(info.FramesPerSecond, f.fps) << f.file;
        EXPECT_EQ(info.WaveTypeText, "Wave Type: 85 - MP3 Audio Layer") << f.file;
        EXPECT_EQ(info.SampleRate, f.rate) << f.file;
        EXPECT_EQ(info.Channels, 2) << f.file;
    }
}

} // namespace
