#pragma once
// Where people speak in a movie: its sound decoded and run through the voice detector.

#include "autosync/SoundDecoder.h"
#include "autosync/SpeechMask.h"

#include <optional>
#include <string>

namespace velkar::autosync {

// How far an analysis has come, and whether to stop it.
class AnalysisProgress {
  public:
    virtual ~AnalysisProgress() = default;
    // `fraction` of the sound analysed, 0 .. 1.
    virtual void advanced(double fraction) = 0;
    // True once the analysis should stop (checked about every second of sound).
    virtual bool cancelled() const = 0;
};

// An analysis nobody watches or stops.
class QuietAnalysis final : public AnalysisProgress {
  public:
    void advanced(double) override {}
    bool cancelled() const override { return false; }
};

struct MovieSpeech {
    SpeechMask speech;
    double frameRate = 0; // of the movie's picture, 0 when it has none
    // How loud the sound is, 10 ms at a time as the mask: the peak level on a square-root scale
    // (255: full scale), for drawing the waveform. Empty where only the speech was kept.
    std::vector<std::uint8_t> peaks;
};

// The peak level of `samples` (the loudest one's magnitude) as MovieSpeech::peaks holds it.
std::uint8_t PeakLevel(int loudest);

// How late the voice detector hears speech start, in 10 ms frames. That depends on the sound
// (bench/autosync_lag.sh: ten voices of two synthesisers; bench/autosync_bench.sh): loud words
// in quiet noise on time, words 22 dB softer 10 to 40 ms late; a dialogue under a score that
// swells to its level still comes out 13 to 29 ms late with 20 ms taken off (3 to 17 with
// 40 ms, which leaves loud words 40 ms early). The detector also goes on hearing speech 57 to
// 99 ms after loud words end; the fit follows the starts, which that tail does not move.
inline constexpr std::size_t kDetectorLagFrames = 2;

// The speech in sound stream `stream` (-1: the first) of the movie at `path`, the detector's
// lag taken off (the mask keeps the sound's length); empty when cancelled. The sound is decoded
// on other threads as `plan` says and heard by one detector, in order. Throws what DecodeSound
// throws.
std::optional<MovieSpeech> DetectMovieSpeech(const std::string& path, int stream,
                                             AnalysisProgress& progress,
                                             const DecodePlan& plan = DecodePlan::ForJobs(1));

} // namespace velkar::autosync
