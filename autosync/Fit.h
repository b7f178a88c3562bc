#pragma once
// The fit: the straight line true = stretch * file + offset (milliseconds) that lays a
// document's subtitles over the speech heard in a movie, and in split mode a few such lines,
// one per stretch of consecutive subtitles, for a film that was cut in places.
//
// How: the subtitles' time spans become a 100 ms mask; for every stretch between two usual
// frame rates (23.976, 24, 25, 29.97, 30 and 1) that mask is cross-correlated with the speech
// by FFT over every offset, and the best offset of the best stretch is taken. The score says
// how far that peak stands above the correlations at all other offsets (robust z-score: peak
// minus median, over 1.4826 times the median absolute deviation). Around the peak the stretch
// is then refined continuously and the offset to 10 ms and below, on the full 10 ms speech
// mask: the quantity maximised is the speech heard inside the subtitles minus what a random
// placement would give (the speech rate times their length).
//
// Split mode keeps the stretch and chooses, subtitle by subtitle, among the strongest
// offsets by dynamic programming; every change of offset between consecutive subtitles costs
// about ten well-placed subtitles' worth of speech.

#include "autosync/SpeechMask.h"
#include "document/Errors.h"

#include <cstddef>
#include <vector>

namespace velkar::autosync {

// true = stretch * file + offset, both times in milliseconds.
struct LinearMap {
    double stretch = 1.0;
    double offsetMs = 0.0;
    double operator()(double fileMs) const { return stretch * fileMs + offsetMs; }
};

// The map of subtitles first .. last (0-based, both included).
struct MapPiece {
    std::size_t first = 0;
    std::size_t last = 0;
    LinearMap map;
};

struct FitResult {
    // In order of the subtitles, covering all of them; one piece unless split mode found cuts.
    std::vector<MapPiece> pieces;
    // How clearly the fit stands out (robust z-score, see above); 0 when nothing can be fitted.
    double score = 0;
    // The map of subtitle `i`.
    const LinearMap& mapOf(std::size_t i) const;
};

// Fits below this score are refused: the subtitles do not belong to that sound. Fits of the
// right film score 20 and more on a 10-minute clip; another film's subtitles stay under 5.
inline constexpr double kMinimumScore = 8.0;

struct FitOptions {
    bool split = false;
    // The largest offset searched, either way (ms).
    double maxOffsetMs = 15.0 * 60.0 * 1000.0;
    // The stretches the coarse search tries; empty: CandidateStretches().
    std::vector<double> stretches;
};

// Fits `subtitles` (file times in ms, in the document's order) to `speech`. Never throws for
// any input; an empty list, an empty or silent mask give score 0 and the identity map. Spans
// that are empty, reversed, or reach beyond two days either way are fitted as empty ones.
FitResult FitToSpeech(const std::vector<Interval>& subtitles, const SpeechMask& speech,
                      const FitOptions& options);

// The stretches tried: every ratio of two of the usual frame rates, 1 included, ascending.
std::vector<double> CandidateStretches();

// "The subtitles do not match this sound (fit score <s>, <m> needed)": a fit refused.
class PoorFitError : public VelkarError {
  public:
    explicit PoorFitError(double score);
};

// Throws PoorFitError when `fit` scores below kMinimumScore.
void RequireGoodFit(const FitResult& fit);

} // namespace velkar::autosync
