// Prints where the voice detector hears speech in a movie's sound, one run a line: its start
// and end in ms, as the fit sees them (the detector's lag already taken off). Pauses under
// 300 ms between words join a run. bench/autosync_lag.sh compares the starts with the truth.
// Usage: velkar_speech_runs MOVIE

#include "autosync/MovieSpeech.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    using namespace velkar::autosync;
    if (argc != 2) {
        std::fprintf(stderr, "usage: velkar_speech_runs MOVIE\n");
        return 2;
    }
    try {
        QuietAnalysis quiet;
        const auto found = DetectMovieSpeech(argv[1], -1, quiet);
        const SpeechMask& mask = found->speech;
        long start = -1, end = -1;
        for (std::size_t k = 0; k <= mask.size(); ++k) {
            const long at = static_cast<long>(k) * kFrameMs;
            if (k < mask.size() && mask.frames[k]) {
                if (start < 0 || at - end >= 300) {
                    if (start >= 0)
                        std::printf("%ld %ld\n", start, end);
                    start = at;
                }
                end = at + kFrameMs;
            }
        }
        if (start >= 0)
            std::printf("%ld %ld\n", start, end);
        std::printf("# lag taken off: %zu ms\n", kDetectorLagFrames * kFrameMs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
