#include "autosync/MovieSpeech.h"

#include "autosync/SoundDecoder.h"
#include "autosync/VoiceDetector.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velkar::autosync {

std::uint8_t PeakLevel(int loudest) {
    const double level = std::sqrt(std::min(1.0, std::abs(loudest) / 32768.0));
    return static_cast<std::uint8_t>(std::lround(level * 255.0));
}

std::optional<MovieSpeech> DetectMovieSpeech(const std::string& path, int stream,
                                             AnalysisProgress& progress, const DecodePlan& plan) {
    VoiceDetector detector;
    SoundFacts facts;
    constexpr std::size_t kFrameSamples = kSampleRate * kFrameMs / 1000;
    std::vector<std::uint8_t> peaks;
    int loudest = 0;
    std::size_t inFrame = 0;
    const bool whole = DecodeSoundAside(
        path, stream,
        [&](std::span<const std::int16_t> samples) {
            detector.feed(samples);
            for (const std::int16_t sample : samples) {
                loudest = std::max(loudest, std::abs(int(sample)));
                if (++inFrame == kFrameSamples) {
                    peaks.push_back(PeakLevel(loudest));
                    loudest = 0;
                    inFrame = 0;
                }
            }
        },
        [&](double fraction) {
            progress.advanced(fraction);
            return !progress.cancelled();
        },
        facts, plan);
    if (!whole)
        return std::nullopt;
    MovieSpeech found{detector.finish(), facts.frameRate, {}};
    if (inFrame > 0)
        peaks.push_back(PeakLevel(loudest));
    peaks.resize(found.speech.frames.size(), 0); // one level for each frame of the mask
    found.peaks = std::move(peaks);
    // The detector decides a frame from the sound up to its end and needs a little speech to be
    // sure; its decisions move earlier by the lag it was measured to have.
    const auto lag = std::min<std::size_t>(kDetectorLagFrames, found.speech.frames.size());
    found.speech.frames.erase(found.speech.frames.begin(),
                              found.speech.frames.begin() + std::ptrdiff_t(lag));
    found.speech.frames.resize(found.speech.frames.size() + lag, 0);
    return found;
}

} // namespace velkar::autosync
