#include "autosync/Verdict.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velkar::autosync {

namespace {

// A half of the film must have this many subtitles to be fitted on its own.
constexpr std::size_t kHalfSubtitles = 3;
// How far a half's own fit may place its first and last subtitle from the whole fit.
constexpr double kHalvesAgreeMs = 150.0;
// A stretch counts as a frame-rate ratio when the difference moves no subtitle further than
// this across the whole file.
constexpr double kRatioDriftMs = 100.0;
// A piece must lay its subtitles on speech at least this far from the speech rate towards
// all speech: a random placement gets the speech rate.
constexpr double kShareAboveChance = 0.25;

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

bool Usable(const Interval& s) {
    return s.end > s.start;
}

// The share of the mapped spans of subtitles first .. last that lies on speech, and the
// sound's speech rate.
double SpeechShare(const std::vector<Interval>& subtitles, const SpeechMask& speech,
                   const MapPiece& piece) {
    double on = 0, all = 0;
    const double frames = double(speech.size());
    for (std::size_t i = piece.first; i <= piece.last && i < subtitles.size(); ++i) {
        if (!Usable(subtitles[i]))
            continue;
        const double u = std::clamp(piece.map(subtitles[i].start) / kFrameMs, 0.0, frames);
        const double v = std::clamp(piece.map(subtitles[i].end) / kFrameMs, 0.0, frames);
        if (!(v > u))
            continue;
        all += v - u;
        for (auto k = static_cast<std::size_t>(u); double(k) < v && k < speech.size(); ++k)
            if (speech.frames[k])
                on += std::min(v, double(k + 1)) - std::max(u, double(k));
    }
    return all > 0 ? on / all : 0.0;
}

double SpeechRate(const SpeechMask& speech) {
    if (speech.size() == 0)
        return 0.0;
    std::size_t on = 0;
    for (std::uint8_t f : speech.frames)
        on += f;
    return double(on) / double(speech.size());
}

// Whether the subtitles first .. last, fitted on their own, land where `whole` puts them
// (their first and last usable start within kHalvesAgreeMs) with a score of at least
// `minimumScore`.
bool HalfAgrees(const std::vector<Interval>& subtitles, std::size_t first, std::size_t last,
                const SpeechMask& speech, const FitOptions& options, const FitResult& whole,
                double minimumScore) {
    const std::vector<Interval> half(subtitles.begin() + std::ptrdiff_t(first),
                                     subtitles.begin() + std::ptrdiff_t(last) + 1);
    // The half finds its own offset (or offsets) anywhere, at the whole fit's stretch: when
    // that stretch is wrong, the two halves' own places do not lie on its line.
    FitOptions ownOptions = options;
    ownOptions.stretches = {whole.pieces.front().map.stretch};
    const FitResult own = FitToSpeech(half, speech, ownOptions);
    if (!(own.score >= minimumScore))
        return false;
    std::vector<std::size_t> ends;
    for (std::size_t i = first; i <= last; ++i)
        if (Usable(subtitles[i])) {
            if (ends.size() < 2)
                ends.push_back(i);
            else
                ends.back() = i;
        }
    if (ends.empty())
        return false;
    for (std::size_t i : ends) {
        const double t = subtitles[i].start;
        if (!(std::abs(own.mapOf(i - first)(t) - whole.mapOf(i)(t)) <= kHalvesAgreeMs))
            return false;
    }
    return true;
}

bool NearRatio(double stretch, double spanMs) {
    for (double r : CandidateStretches())
        if (std::abs(stretch - r) * spanMs <= kRatioDriftMs)
            return true;
    return false;
}

} // namespace

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
    case Verdict::Sure:
        return "sure";
    case Verdict::Unsure:
        return "unsure";
    case Verdict::None:
        break;
    }
    return "none";
}

Judgement JudgeFit(const std::vector<Interval>& subtitles, const SpeechMask& speech,
                   const FitOptions& options, const FitResult& fit) {
    Judgement j;
    for (const MapPiece& piece : fit.pieces)
        j.speechShares.push_back(SpeechShare(subtitles, speech, piece));
    if (!(fit.score >= kMinimumScore) || subtitles.empty()) {
        j.verdict = Verdict::None;
        j.reason = Format("the subtitles do not match this sound (fit score %.1f, %.1f needed)",
                          fit.score, kMinimumScore);
        return j;
    }
    j.verdict = Verdict::Sure;

    // In place: no subtitle's start or end moves by more than kInPlaceMs (on a file longer than
    // 400 s that also keeps the stretch within kNoStretch of 1).
    bool inPlace = true;
    const double stretch = fit.pieces.front().map.stretch; // the same in every piece
    double firstMs = 0, lastMs = 0;
    bool any = false;
    for (std::size_t i = 0; i < subtitles.size(); ++i) {
        const Interval& s = subtitles[i];
        if (!Usable(s))
            continue;
        const LinearMap& map = fit.mapOf(i);
        inPlace = inPlace && std::abs(map(s.start) - s.start) <= kInPlaceMs &&
                  std::abs(map(s.end) - s.end) <= kInPlaceMs;
        firstMs = any ? std::min(firstMs, s.start) : s.start;
        lastMs = any ? std::max(lastMs, s.end) : s.end;
        any = true;
    }
    // Only a sure fit can tell that a file is right: a fit that lays half the subtitles off the
    // speech may move none of them.
    const bool placed = inPlace && any;

    const double rate = SpeechRate(speech);
    const double floor = rate + kShareAboveChance * (1.0 - rate);
    for (std::size_t k = 0; k < j.speechShares.size(); ++k) {
        if (!(j.speechShares[k] >= floor)) {
            j.verdict = Verdict::Unsure;
            j.reason = Format("piece %.0f lays only %.0f %% of its subtitles on speech (%.0f %% "
                              "needed)",
                              double(k + 1), 100.0 * j.speechShares[k], 100.0 * floor);
            return j;
        }
    }

    if (std::abs(stretch - 1.0) <= kNoStretch) {
        j.inPlace = placed;
        return j;
    }
    // A stretch: the two halves of the film must each confirm it.
    std::size_t usable = 0;
    for (const Interval& s : subtitles)
        usable += Usable(s) ? 1 : 0;
    const std::size_t middle = subtitles.size() / 2;
    const bool ratio = NearRatio(stretch, lastMs - firstMs);
    const double halfScore = ratio ? kMinimumScore / 2.0 : kMinimumScore;
    const bool confirmed =
        usable >= 2 * kHalfSubtitles && middle >= kHalfSubtitles &&
        subtitles.size() - middle >= kHalfSubtitles &&
        HalfAgrees(subtitles, 0, middle - 1, speech, options, fit, halfScore) &&
        HalfAgrees(subtitles, middle, subtitles.size() - 1, speech, options, fit, halfScore);
    if (!confirmed) {
        j.verdict = Verdict::Unsure;
        j.reason =
            ratio ? Format("the stretch %.6f is not confirmed by both halves of the film", stretch)
                  : Format("the stretch %.6f is not a frame-rate ratio and both halves of "
                           "the film do not confirm it on their own",
                           stretch);
    }
    j.inPlace = placed && j.verdict == Verdict::Sure;
    return j;
}

} // namespace velkar::autosync
