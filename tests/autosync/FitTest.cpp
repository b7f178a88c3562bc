// The fit on synthetic speech: subtitles at known true times, their speech in a 10 ms mask
// with the detector's usual faults (late onsets, early ends, short false runs), and files
// broken from them in known ways.

#include "autosync/Fit.h"
#include "autosync/Fft.h"
#include "autosync/Verdict.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace velkar::autosync {
namespace {

using testing::HasSubstr;
using testing::ThrowsMessage;

// Subtitles of a film of `minutes`, true times in ms: 1-5 s long, 0.2-4 s apart.
std::vector<Interval> TrueSubtitles(unsigned seed, double minutes) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> length(1000, 5000), gap(200, 4000);
    std::vector<Interval> subtitles;
    for (double t = 5000 + gap(random); t < minutes * 60000 - 6000;) {
        const double d = length(random);
        subtitles.push_back({t, t + d});
        t += d + gap(random);
    }
    return subtitles;
}

// Speech as a detector hears it: each subtitle's speech starts 20-80 ms late, ends up to a
// third early; a short false run every 20 s or so.
SpeechMask HeardSpeech(const std::vector<Interval>& subtitles, double lengthMs, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> late(20, 80), early(0, 0.33), where(0, lengthMs),
        run(50, 400);
    std::vector<Interval> speech;
    for (const Interval& s : subtitles) {
        const double start = s.start + late(random);
        speech.push_back({start, s.end - early(random) * (s.end - s.start)});
    }
    for (int k = 0; k < int(lengthMs / 20000); ++k) {
        const double t = where(random);
        speech.push_back({t, t + run(random)});
    }
    return MaskOfIntervals(speech, lengthMs);
}

// The file's times of subtitles whose true times are `truth` under `map`.
std::vector<Interval> Broken(const std::vector<Interval>& truth, LinearMap map) {
    std::vector<Interval> file;
    for (const Interval& s : truth)
        file.push_back(
            {(s.start - map.offsetMs) / map.stretch, (s.end - map.offsetMs) / map.stretch});
    return file;
}

double WorstStartError(const FitResult& fit, const std::vector<Interval>& file,
                       const std::vector<Interval>& truth) {
    double worst = 0;
    for (std::size_t i = 0; i < file.size(); ++i)
        worst = std::max(worst, std::abs(fit.mapOf(i)(file[i].start) - truth[i].start));
    return worst;
}

struct Breakage {
    double stretch; // true = stretch * file + offset
    double offsetMs;
};

class FitRecovers : public testing::TestWithParam<Breakage> {};

TEST_P(FitRecovers, EveryStartWithinAFewFrames) {
    const auto truth = TrueSubtitles(7, 10);
    const SpeechMask speech = HeardSpeech(truth, 10 * 60000.0, 8);
    const auto file = Broken(truth, {GetParam().stretch, GetParam().offsetMs});
    const FitResult fit = FitToSpeech(file, speech, {});
    ASSERT_EQ(fit.pieces.size(), 1u);
    EXPECT_GE(fit.score, kMinimumScore);
    // The detector's late onsets pull the fit late by about their mean (50 ms).
    EXPECT_LT(WorstStartError(fit, file, truth), 90.0);
    EXPECT_NEAR(fit.pieces[0].map.stretch, GetParam().stretch, 2e-4);
}

const double k23 = 24000.0 / 1001.0, k29 = 30000.0 / 1001.0;
INSTANTIATE_TEST_SUITE_P(
    OffsetsAndStretches, FitRecovers,
    testing::Values(Breakage{1.0, 0.0}, Breakage{1.0, 61234.0}, Breakage{1.0, -59870.0},
                    Breakage{1.0, 8.0}, Breakage{25.0 / k23, 12000.0},
                    Breakage{k23 / 25.0, -30000.0}, Breakage{25.0 / 24.0, 500.0},
                    Breakage{24.0 / 25.0, 40000.0}, Breakage{24.0 / k23, -3000.0},
                    Breakage{k29 / 25.0, 2000.0}, Breakage{25.0 / 30.0, 45000.0},
                    Breakage{30.0 / k23, -1000.0},
                    // Between the frame-rate ratios: found by the continuous refinement.
                    Breakage{1.0007, 20000.0}, Breakage{0.9991, -7000.0}));

TEST(FitSplit, FollowsAFilmCutTwelveSecondsShort) {
    // The film lost 12 s at 5:00; the file still has the uncut times.
    const auto uncut = TrueSubtitles(11, 10);
    std::vector<Interval> file, truth;
    std::vector<bool> spoken;
    const double cut = 300000.0, lost = 12000.0;
    for (const Interval& s : uncut) {
        file.push_back(s);
        const bool after = s.start >= cut + lost;
        spoken.push_back(s.end <= cut || after);
        truth.push_back(after ? Interval{s.start - lost, s.end - lost} : s);
    }
    std::vector<Interval> heard;
    for (std::size_t i = 0; i < truth.size(); ++i)
        if (spoken[i])
            heard.push_back(truth[i]);
    const SpeechMask speech = HeardSpeech(heard, 10 * 60000.0, 12);
    const auto shifted = Broken(file, {1.0, 2500.0}); // and the whole file 2.5 s early

    const FitResult single = FitToSpeech(shifted, speech, {});
    EXPECT_EQ(single.pieces.size(), 1u);
    FitOptions options;
    options.split = true;
    const FitResult fit = FitToSpeech(shifted, speech, options);
    ASSERT_EQ(fit.pieces.size(), 2u);
    double worst = 0;
    for (std::size_t i = 0; i < shifted.size(); ++i)
        if (spoken[i])
            worst = std::max(worst, std::abs(fit.mapOf(i)(shifted[i].start) - truth[i].start));
    EXPECT_LT(worst, 90.0);
    EXPECT_NEAR(fit.pieces[1].map.offsetMs - fit.pieces[0].map.offsetMs, -lost, 20.0);
}

TEST(FitSplit, KeepsOnePieceWhenNothingWasCut) {
    const auto truth = TrueSubtitles(21, 10);
    const auto file = Broken(truth, {25.0 / 24.0, 4000.0});
    FitOptions options;
    options.split = true;
    const FitResult fit = FitToSpeech(file, HeardSpeech(truth, 600000.0, 22), options);
    ASSERT_EQ(fit.pieces.size(), 1u);
    EXPECT_LT(WorstStartError(fit, file, truth), 90.0);
}

// The verdict on fits of a 10-minute film whose file is broken in a known way. `claimed`, when
// given, replaces the fit found with one that places the subtitles' middle right but with
// another stretch: the kind of fit that must never pass as sure.
struct VerdictCase {
    const char* name;
    LinearMap damage; // true = stretch * file + offset
    bool anotherFilm;
    double claimedStretch; // 0: the fit found
    Verdict verdict;
    bool inPlace;
};

class FitVerdict : public testing::TestWithParam<VerdictCase> {};

TEST_P(FitVerdict, OnABrokenFilm) {
    const VerdictCase& c = GetParam();
    const auto truth = TrueSubtitles(31, 10);
    const SpeechMask speech =
        HeardSpeech(c.anotherFilm ? TrueSubtitles(32, 10) : truth, 600000.0, 33);
    const auto file = Broken(truth, c.damage);
    FitResult fit = FitToSpeech(file, speech, {});
    if (c.claimedStretch != 0) {
        const double middle = (file.front().start + file.back().end) / 2.0;
        const double at = fit.pieces[0].map(middle);
        fit.pieces[0].map = {c.claimedStretch, at - c.claimedStretch * middle};
    }
    const Judgement j = JudgeFit(file, speech, {}, fit);
    EXPECT_EQ(j.verdict, c.verdict) << j.reason;
    EXPECT_EQ(j.inPlace, c.inPlace) << j.reason;
    EXPECT_EQ(j.reason.empty(), c.verdict == Verdict::Sure) << j.reason;
    ASSERT_EQ(j.speechShares.size(), 1u);
    // The right placement lays most of the subtitles on speech, another film's about as much as
    // chance does.
    if (c.verdict == Verdict::Sure) {
        EXPECT_GT(j.speechShares[0], 0.6);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitVerdict,
    testing::Values(
        VerdictCase{"Shifted", {1.0, 61234.0}, false, 0, Verdict::Sure, false},
        // The detector hears onsets some 50 ms late, which the fit follows: a file 50 ms early
        // is right as far as the sound can tell, 30 ms early is within 40 ms of it.
        VerdictCase{"AlreadyRight", {1.0, -50.0}, false, 0, Verdict::Sure, true},
        VerdictCase{"ThirtyMsEarly", {1.0, -30.0}, false, 0, Verdict::Sure, true},
        VerdictCase{"TwoHundredMsLate", {1.0, 200.0}, false, 0, Verdict::Sure, false},
        VerdictCase{
            "FrameRate", {25.0 / (24000.0 / 1001.0), 12000.0}, false, 0, Verdict::Sure, false},
        VerdictCase{"FrameRateOtherWay", {24.0 / 25.0, -3000.0}, false, 0, Verdict::Sure, false},
        // Not a frame-rate ratio, but each half of the film scores as a whole fit must.
        VerdictCase{"OddStretch", {1.0007, 20000.0}, false, 0, Verdict::Sure, false},
        VerdictCase{"AnotherFilm", {1.0, 5000.0}, true, 0, Verdict::None, false},
        // Stretches made up for a file that was only shifted: the halves do not follow them.
        VerdictCase{"InventedFrameRate", {1.0, 5000.0}, false, 25.0 / 24.0, Verdict::Unsure, false},
        VerdictCase{"InventedSmallRatio",
                    {1.0, 5000.0},
                    false,
                    24.0 / (24000.0 / 1001.0),
                    Verdict::Unsure,
                    false},
        VerdictCase{"InventedOddStretch", {1.0, 5000.0}, false, 1.002, Verdict::Unsure, false}),
    [](const testing::TestParamInfo<VerdictCase>& info) { return std::string(info.param.name); });

TEST(FitVerdictPieces, APieceOffTheSpeechIsUnsure) {
    const auto truth = TrueSubtitles(41, 10);
    const SpeechMask speech = HeardSpeech(truth, 600000.0, 42);
    FitResult fit = FitToSpeech(truth, speech, {});
    ASSERT_EQ(JudgeFit(truth, speech, {}, fit).verdict, Verdict::Sure);
    // The same map cut in two, the second piece 7 s off.
    const std::size_t half = truth.size() / 2;
    MapPiece second = fit.pieces[0];
    fit.pieces[0].last = half - 1;
    second.first = half;
    second.map.offsetMs += 7000.0;
    fit.pieces.push_back(second);
    const Judgement j = JudgeFit(truth, speech, {}, fit);
    ASSERT_EQ(j.speechShares.size(), 2u);
    EXPECT_GT(j.speechShares[0], 0.6);
    EXPECT_LT(j.speechShares[1], 0.5);
    EXPECT_EQ(j.verdict, Verdict::Unsure);
    EXPECT_THAT(j.reason, HasSubstr("piece 2 lays only "));
}

TEST(FitVerdictPieces, AStretchNeedsEnoughSubtitlesInEachHalf) {
    const auto truth = TrueSubtitles(51, 10);
    const SpeechMask speech = HeardSpeech(truth, 600000.0, 52);
    const std::vector<Interval> few(truth.begin(), truth.begin() + 5);
    const auto file = Broken(few, {25.0 / 24.0, 1000.0});
    FitResult fit;
    fit.score = 2 * kMinimumScore;
    fit.pieces = {{0, 4, {25.0 / 24.0, 1000.0}}};
    const Judgement j = JudgeFit(file, speech, {}, fit);
    EXPECT_EQ(j.verdict, Verdict::Unsure);
    EXPECT_THAT(j.reason, HasSubstr("not confirmed by both halves"));
    // Nothing to judge: never a crash.
    EXPECT_EQ(JudgeFit({}, speech, {}, FitResult{{{0, 0, {}}}, 0.0}).verdict, Verdict::None);
    EXPECT_EQ(JudgeFit(file, SpeechMask{}, {}, fit).verdict, Verdict::Unsure);
}

TEST(FitRefusal, AnotherFilmsSubtitlesScoreLow) {
    for (unsigned seed = 100; seed < 110; ++seed) {
        const SpeechMask speech = HeardSpeech(TrueSubtitles(seed, 10), 600000.0, seed + 50);
        const auto other = TrueSubtitles(seed + 1000, 10);
        const FitResult fit = FitToSpeech(other, speech, {});
        EXPECT_LT(fit.score, kMinimumScore) << "seed " << seed;
        EXPECT_THAT([&] { RequireGoodFit(fit); }, ThrowsMessage<PoorFitError>(HasSubstr(
                                                      "The subtitles do not match this sound")));
        const FitResult right = FitToSpeech(TrueSubtitles(seed, 10), speech, {});
        EXPECT_GE(right.score, kMinimumScore) << "seed " << seed;
    }
}

TEST(FitRefusal, DenseDialogueStillStandsOut) {
    // Scenes of back-to-back subtitles 40 ms apart, 20-60 s long, with pauses between: at the
    // scale of minutes every offset looks alike, only the edges place them.
    std::mt19937 random(17);
    std::uniform_real_distribution<double> length(1000, 3000), scene(20000, 60000),
        pause(3000, 30000);
    std::vector<Interval> truth;
    for (double t = 50000; t < 560000;) {
        const double end = t + scene(random);
        for (; t < end; t += 40)
            truth.push_back({t, t += length(random)});
        t += pause(random);
    }
    const auto file = Broken(truth, {1.0, -58000.0});
    const FitResult fit = FitToSpeech(file, MaskOfIntervals(truth, 600000.0), {});
    EXPECT_GE(fit.score, kMinimumScore);
    EXPECT_LT(WorstStartError(fit, file, truth), 5.0);
}

TEST(FitRefusal, NothingToFitScoresZero) {
    const auto truth = TrueSubtitles(3, 2);
    EXPECT_EQ(FitToSpeech({}, HeardSpeech(truth, 120000.0, 4), {}).score, 0.0);
    EXPECT_EQ(FitToSpeech(truth, SpeechMask{}, {}).score, 0.0);
    SpeechMask silent;
    silent.frames.assign(12000, 0);
    const FitResult fit = FitToSpeech(truth, silent, {});
    EXPECT_EQ(fit.score, 0.0);
    EXPECT_THAT([&] { RequireGoodFit(fit); },
                ThrowsMessage<PoorFitError>(
                    "The subtitles do not match this sound (fit score 0.0, 8.0 needed)"));
    // Spans that are reversed, not numbers or absurdly far are taken as empty, never a crash.
    std::vector<Interval> odd = truth;
    odd[0] = {5000, 1000};
    odd[1] = {NAN, INFINITY};
    odd[2] = {-3e12, 4e15};
    EXPECT_GE(FitToSpeech(odd, HeardSpeech(truth, 120000.0, 4), {}).pieces.size(), 1u);
}

TEST(FitStretches, EveryPairOfUsualFrameRates) {
    const auto stretches = CandidateStretches();
    // 25 ratios less four repeated 1s, 24/23.976 = 30/29.97 and 30/24 = 29.97/23.976 (and
    // their inverses).
    EXPECT_EQ(stretches.size(), 17u);
    for (double a : {24000.0 / 1001.0, 24.0, 25.0, 30000.0 / 1001.0, 30.0})
        for (double b : {24000.0 / 1001.0, 24.0, 25.0, 30000.0 / 1001.0, 30.0})
            EXPECT_TRUE(std::any_of(stretches.begin(), stretches.end(),
                                    [&](double s) { return std::abs(s - a / b) < 1e-9; }));
}

TEST(CrossCorrelation, MatchesTheDirectSumForAnySizes) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> value(-1, 1);
    std::uniform_int_distribution<int> size(1, 70);
    for (int round = 0; round < 40; ++round) {
        std::vector<double> x(size(random)), y(size(random));
        for (double& v : x)
            v = value(random);
        for (double& v : y)
            v = value(random);
        const auto c = CrossCorrelation(x, y);
        ASSERT_EQ(c.size(), x.size() + y.size() - 1);
        for (std::size_t i = 0; i < c.size(); ++i) {
            const long long d = static_cast<long long>(i) - static_cast<long long>(x.size()) + 1;
            double direct = 0;
            for (long long k = 0; k < static_cast<long long>(x.size()); ++k)
                if (k + d >= 0 && k + d < static_cast<long long>(y.size()))
                    direct += x[std::size_t(k)] * y[std::size_t(k + d)];
            EXPECT_NEAR(c[i], direct, 1e-9);
        }
    }
    EXPECT_TRUE(CrossCorrelation({}, {1.0}).empty());
    // Only some lags, on a shorter transform: the same sums, lags beyond the inputs give 0.
    std::uniform_int_distribution<int> lag(-90, 90);
    for (int round = 0; round < 40; ++round) {
        std::vector<double> x(size(random)), y(size(random));
        for (double& v : x)
            v = value(random);
        for (double& v : y)
            v = value(random);
        const long long a = lag(random), b = lag(random);
        const long long lo = std::min(a, b), hi = std::max(a, b);
        const auto c = CrossCorrelation(x, y, lo, hi);
        ASSERT_EQ(c.size(), std::size_t(hi - lo + 1));
        for (long long d = lo; d <= hi; ++d) {
            double direct = 0;
            for (long long k = 0; k < static_cast<long long>(x.size()); ++k)
                if (k + d >= 0 && k + d < static_cast<long long>(y.size()))
                    direct += x[std::size_t(k)] * y[std::size_t(k + d)];
            EXPECT_NEAR(c[std::size_t(d - lo)], direct, 1e-9);
        }
    }
}

TEST(MaskOfIntervals, AFrameCountsWhenHalfCovered) {
    const SpeechMask mask = MaskOfIntervals({{14, 36}, {-50, 4}, {80, 70}, {95, 500}}, 100);
    EXPECT_EQ(mask.frames, (std::vector<std::uint8_t>{0, 1, 1, 1, 0, 0, 0, 0, 0, 1}));
}

} // namespace
} // namespace velkar::autosync
