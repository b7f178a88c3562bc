#include "autosync/MovieSpeech.h"

#include "autosync/SoundDecoder.h"
#include "autosync/VoiceDetector.h"

namespace velkar::autosync {

std::optional<MovieSpeech> DetectMovieSpeech(const std::string& path, int stream,
                                             AnalysisProgress& progress) {
    VoiceDetector detector;
    SoundFacts facts;
    const bool whole = DecodeSound(
        path, stream, [&](std::span<const std::int16_t> samples) { detector.feed(samples); },
        [&](double fraction) {
            progress.advanced(fraction);
            return !progress.cancelled();
        },
        facts);
    if (!whole)
        return std::nullopt;
    MovieSpeech found{detector.finish(), facts.frameRate};
    // The detector decides a frame from the sound up to its end and needs a little speech to be
    // sure; its decisions move earlier by the lag it was measured to have.
    const auto lag = std::min<std::size_t>(kDetectorLagFrames, found.speech.frames.size());
    found.speech.frames.erase(found.speech.frames.begin(),
                              found.speech.frames.begin() + std::ptrdiff_t(lag));
    found.speech.frames.resize(found.speech.frames.size() + lag, 0);
    return found;
}

} // namespace velkar::autosync
