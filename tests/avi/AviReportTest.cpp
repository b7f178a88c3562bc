#include "avi/AviReport.h"

#include <gtest/gtest.h>

#include <limits>
#include <ostream>

namespace {

using namespace velkar;

struct Fixed3Case {
    long double value;
    const char* text;
};

void PrintTo(const Fixed3Case& c, std::ostream* out) {
    *out << c.text;
}

class FormatFixed3Test : public ::testing::TestWithParam<Fixed3Case> {};

TEST_P(FormatFixed3Test, RoundsToThreeDecimals) {
    EXPECT_EQ(FormatFixed3(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatFixed3Test,
    ::testing::Values(Fixed3Case{0, "0.000"}, Fixed3Case{25.0f, "25.000"},
                      Fixed3Case{2997.0f / 125, "23.976"},
                      Fixed3Case{1048576.0L / 1048576, "1.000"},
                      Fixed3Case{65536.0L / 1048576, "0.063"},   // a half goes away from zero
                      Fixed3Case{-65536.0L / 1048576, "-0.063"}, //
                      Fixed3Case{0.00049L, "0.000"}, Fixed3Case{-1.0L / 1048576, "0.000"},
                      Fixed3Case{-1.5L, "-1.500"}, Fixed3Case{999.9996L, "1000.000"},
                      Fixed3Case{1e20L, "100000000000000000000.000"},
                      Fixed3Case{std::numeric_limits<long double>::infinity(), "INF"}));

AviInfo Sample() {
    AviInfo info;
    info.MicroSecPerFrame = 41708;
    info.MaxBytesPerSec = -5;
    info.TotalFrames = 63324;
    info.StreamCount = 2;
    info.FrameWidth = 640;
    info.FrameHeight = 352;
    info.CompressionText = "xvid - Unknown";
    info.FramesPerSecond = 2997.0f / 125;
    info.DurationSec = 2641.1406f;
    info.VideoQuality = 10000;
    info.ColourDepth = 12;
    info.AudioDelay = 0.5f;
    info.WaveTypeText = "Wave Type: 85 - MP3 Audio Layer";
    info.Channels = 1;
    info.SampleRate = 48000;
    info.BitsPerSample = 0;
    return info;
}

TEST(VideoInformation, ReportsEveryValueInItsLine) {
    EXPECT_EQ(VideoInformation("C:\\movies\\a.avi", 3221225472, Sample()),
              "================= VIDEO INFO =================\n\r"
              "Filename:\tC:\\movies\\a.avi\n\r"
              "Compression:\txvid - Unknown\n\r"
              "Frames:\t\t63324\n\r"
              "FPS:\t\t23.976\n\r"
              "File Size:\t3221225472 bytes (3072.000 MB)\n\r"
              "Microsec/frame:\t41708\n\r"
              "Peak Bitrate:\t-5 bps\n\r"
              "Duration:\t2641.141 sec\n\r"
              "Streams:\t2 (i.e. Video, Audio)\n\r"
              "Resolution:\t352 x 640 pixels\n\r"
              "Quality Level:\t10000 (1-10000)\n\r"
              "Colour Depth:\t12 bit\n\r"
              "================= AUDIO INFO =================\n\r"
              "Audio Delay:\t0.500\n\r"
              "Wave Type:\tWave Type: 85 - MP3 Audio Layer\n\r"
              "Sample Rate:\t48000\n\r"
              "Bit Depth:\t0\n\r"
              "Channels:\t1 (i.e. Mono)");
}

TEST(VideoInformation, NothingReadYetAndChannelCountsOtherThanOne) {
    const std::string empty = VideoInformation("x.avi", 1048576, AviInfo{});
    EXPECT_NE(empty.find("\n\rFile Size:\t1048576 bytes (1.000 MB)\n\r"), std::string::npos);
    EXPECT_NE(empty.find("\n\rAudio Delay:\t0.000\n\rWave Type:\t\n\rSample Rate:\t0\n\r"
                         "Bit Depth:\t0\n\rChannels:\t0 (i.e. Stereo)"),
              std::string::npos);
    AviInfo info = Sample();
    for (std::uint16_t channels : {2, 6}) {
        info.Channels = channels;
        const std::string report = VideoInformation("x.avi", -1, info);
        EXPECT_TRUE(
            report.ends_with("\n\rChannels:\t" + std::to_string(channels) + " (i.e. Stereo)"));
        EXPECT_NE(report.find("File Size:\t-1 bytes (0.000 MB)"), std::string::npos);
    }
}

TEST(IsAviFileName, LooksAtTheLastExtensionInAnyCase) {
    for (const char* name : {"a.avi", "/m/A.AVI", "x.tar.Avi", ".avi"})
        EXPECT_TRUE(IsAviFileName(name)) << name;
    for (const char* name : {"", "avi", "a.mpg", "a.avi.mpg", "a.avix", "dir.avi/movie"})
        EXPECT_FALSE(IsAviFileName(name)) << name;
}

} // namespace
