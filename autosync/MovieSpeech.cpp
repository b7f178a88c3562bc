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
    return MovieSpeech{detector.finish(), facts.frameRate};
}

} // namespace velkar::autosync
