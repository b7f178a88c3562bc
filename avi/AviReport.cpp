#include "avi/AviReport.h"

#include <cmath>
#include <cstdio>

namespace velkar {

std::string FormatFixed3(long double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    // The decimal expansion with far more digits than needed is exact where it matters: the
    // fourth decimal alone then decides the rounding.
    const long double magnitude = std::fabs(value);
    const int length = std::snprintf(nullptr, 0, "%.40Lf", magnitude);
    std::string expansion(static_cast<std::size_t>(length), '\0');
    std::snprintf(expansion.data(), expansion.size() + 1, "%.40Lf", magnitude);

    const std::size_t point = expansion.find('.');
    std::string digits = expansion.substr(0, point) + expansion.substr(point + 1, 3);
    if (expansion[point + 4] >= '5') {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i - 1];
    }
    std::string text;
    if (value < 0 && digits.find_first_not_of('0') != std::string::npos)
        text.push_back('-');
    text.append(digits, 0, digits.size() - 3);
    text.push_back('.');
    text.append(digits, digits.size() - 3, 3);
    return text;
}

bool IsAviFileName(std::string_view fileName) {
    const std::size_t slash = fileName.rfind('/');
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return false;
    const std::string_view extension = fileName.substr(dot);
    if (extension.size() != 4)
        return false;
    for (std::size_t i = 0; i < 4; ++i) {
        char c = extension[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - ('a' - 'A'));
        if (c != ".AVI"[i])
            return false;
    }
    return true;
}

std::string VideoInformation(const std::string& fileName, std::int64_t aviFileSize,
                             const AviInfo& info) {
    using std::to_string;
    std::string r = "================= VIDEO INFO =================\n\rFilename:\t" + fileName;
    r += "\n\rCompression:\t" + info.CompressionText;
    r += "\n\rFrames:\t\t" + to_string(info.TotalFrames);
    r += "\n\rFPS:\t\t" + FormatFixed3(info.FramesPerSecond);
    r += "\n\rFile Size:\t" + to_string(aviFileSize) + " bytes (" +
         FormatFixed3(static_cast<long double>(aviFileSize) / 1048576) + " MB)";
    r += "\n\rMicrosec/frame:\t" + to_string(info.MicroSecPerFrame);
    r += "\n\rPeak Bitrate:\t" + to_string(info.MaxBytesPerSec) + " bps";
    r += "\n\rDuration:\t" + FormatFixed3(info.DurationSec) + " sec";
    r += "\n\rStreams:\t" + to_string(info.StreamCount) + " (i.e. Video, Audio)";
    r += "\n\rResolution:\t" + to_string(info.FrameHeight) + " x " + to_string(info.FrameWidth) +
         " pixels";
    r += "\n\rQuality Level:\t" + to_string(info.VideoQuality) + " (1-10000)";
    r += "\n\rColour Depth:\t" + to_string(info.ColourDepth) + " bit";
    r += "\n\r================= AUDIO INFO =================";
    r += "\n\rAudio Delay:\t" + FormatFixed3(info.AudioDelay);
    r += "\n\rWave Type:\t" + info.WaveTypeText;
    r += "\n\rSample Rate:\t" + to_string(info.SampleRate);
    r += "\n\rBit Depth:\t" + to_string(info.BitsPerSample);
    r += "\n\rChannels:\t" + to_string(info.Channels) +
         (info.Channels == 1 ? " (i.e. Mono)" : " (i.e. Stereo)");
    return r;
}

} // namespace velkar
