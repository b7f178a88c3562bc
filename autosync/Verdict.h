#pragma once
// Whether a fit may be written without anyone checking it.
//
// `sure`: the fit stands out (score at least kMinimumScore), every piece lays its subtitles on
// speech clearly more than a random placement would, and a stretch other than 1 is confirmed:
// it is one of the frame-rate ratios and the two halves of the film, fitted each on its own,
// place their subtitles where the whole fit does; or, for any other stretch, the halves do so
// with each scoring as high as a whole fit must. `unsure`: the fit stands out but one of those
// checks fails. `none`: nothing fits (the score is too low).
//
// A sure fit that moves no subtitle's start or end by more than 40 ms is "in place": the file is
// already right and there is nothing to write. A stretch within 0.0001 of 1 needs no halves.

#include "autosync/Fit.h"

#include <string>
#include <vector>

namespace velkar::autosync {

enum class Verdict { Sure, Unsure, None };

// "sure", "unsure", "none".
const char* VerdictName(Verdict verdict);

struct Judgement {
    Verdict verdict = Verdict::None;
    // Only when the verdict is Sure: no subtitle moves by more than kInPlaceMs.
    bool inPlace = false;
    // Per piece of the fit: the share (0 .. 1) of its subtitles' mapped span that lies on speech.
    std::vector<double> speechShares;
    // Why the verdict is not `sure`; empty when it is.
    std::string reason;
};

inline constexpr double kInPlaceMs = 40.0;
inline constexpr double kNoStretch = 1e-4;

// Judges `fit`, which FitToSpeech(subtitles, speech, options) gave. May fit the two halves of
// the subtitles again (when the stretch is not 1). Never throws for any input.
Judgement JudgeFit(const std::vector<Interval>& subtitles, const SpeechMask& speech,
                   const FitOptions& options, const FitResult& fit);

} // namespace velkar::autosync
