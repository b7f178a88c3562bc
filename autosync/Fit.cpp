#include "autosync/Fit.h"

#include "autosync/Fft.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

namespace velkar::autosync {

namespace {

constexpr int kBinFrames = 10; // the coarse search works in 100 ms bins
constexpr double kBinMs = kBinFrames * kFrameMs;
constexpr std::size_t kSplitCandidates = 24;
constexpr double kJumpPenaltySubtitles = 10.0;
// The subtitle's first moments weigh double, and speech just before its start counts against
// it: speech shorter than its subtitle would otherwise fit anywhere inside it, and the start
// is what the viewer notices.
constexpr double kOnsetMs = 400.0;
constexpr double kOnsetWeight = 1.0;
// The score compares the peak with offsets at least this far from it (100 ms bins).
constexpr std::size_t kScoreApartBins = 200;
// Half the window of the local average taken off the speech before correlating (bins).
constexpr std::size_t kLocalBins = 30;

// Speech frames counted up to any point, and the gain of laying one span over them.
class SpeechIndex {
  public:
    explicit SpeechIndex(const SpeechMask& speech) : m_frames(speech.frames) {
        m_prefix.resize(m_frames.size() + 1);
        for (std::size_t k = 0; k < m_frames.size(); ++k)
            m_prefix[k + 1] = m_prefix[k] + m_frames[k];
        m_rate = m_frames.empty() ? 0.0 : double(m_prefix.back()) / double(m_frames.size());
    }
    double rate() const { return m_rate; }
    std::size_t size() const { return m_frames.size(); }

    // Speech heard in [startMs, endMs) minus what the speech rate alone would give, in frames;
    // what lies outside the sound counts nothing either way.
    double gain(double startMs, double endMs) const {
        const double last = double(m_frames.size());
        const double u = std::clamp(startMs / kFrameMs, 0.0, last);
        const double v = std::clamp(endMs / kFrameMs, 0.0, last);
        if (v <= u)
            return 0.0;
        return upTo(v) - upTo(u) - m_rate * (v - u);
    }

  private:
    // Speech frames in [0, x), a frame's speech spread evenly over it.
    double upTo(double x) const {
        const auto k = static_cast<std::size_t>(x);
        if (k >= m_frames.size())
            return double(m_prefix.back());
        return double(m_prefix[k]) + (x - double(k)) * m_frames[k];
    }

    const std::vector<std::uint8_t>& m_frames;
    std::vector<std::int32_t> m_prefix;
    double m_rate = 0;
};

// A map written around the subtitles' centre c: true = stretch * (file - c) + at, so that a
// change of stretch hardly moves the best `at`.
struct CentredMap {
    double stretch = 1.0;
    double at = 0.0;
};

class Scorer {
  public:
    Scorer(const std::vector<Interval>& subtitles, const SpeechIndex& speech, double centre)
        : m_subtitles(subtitles), m_speech(speech), m_centre(centre) {}

    double centre() const { return m_centre; }

    // Sum of the gains of subtitles first .. last under `map`.
    double score(CentredMap map, std::size_t first, std::size_t last) const {
        double sum = 0;
        for (std::size_t i = first; i <= last; ++i)
            sum += gainOf(i, map);
        return sum;
    }
    double gainOf(std::size_t i, CentredMap map) const {
        const Interval& s = m_subtitles[i];
        const double start = map.stretch * (s.start - m_centre) + map.at;
        const double end = map.stretch * (s.end - m_centre) + map.at;
        return m_speech.gain(start, end) +
               kOnsetWeight * (m_speech.gain(start, std::min(end, start + kOnsetMs)) -
                               m_speech.gain(start - kOnsetMs, start));
    }

  private:
    const std::vector<Interval>& m_subtitles;
    const SpeechIndex& m_speech;
    double m_centre;
};

// The best `at` for a fixed stretch on a grid of `step` ms within `at0` +- `halfWidth`.
std::pair<double, double> BestAt(const Scorer& scorer, double stretch, double at0, double halfWidth,
                                 double step, std::size_t first, std::size_t last) {
    double bestAt = at0;
    double best = -std::numeric_limits<double>::infinity();
    const int n = static_cast<int>(std::lround(halfWidth / step));
    for (int j = -n; j <= n; ++j) {
        const double at = at0 + j * step;
        const double s = scorer.score({stretch, at}, first, last);
        if (s > best) {
            best = s;
            bestAt = at;
        }
    }
    return {bestAt, best};
}

// The middle of the flat top around the best `at` near `at0`, at 0.5 ms: many offsets can lay
// the speech wholly inside the subtitles, and the middle one is the fairest.
double PlateauMiddle(const Scorer& scorer, double stretch, double at0, std::size_t first,
                     std::size_t last) {
    constexpr double kStep = 0.5;
    constexpr int kHalf = 40; // +- 20 ms
    std::vector<double> values(2 * kHalf + 1);
    for (int j = -kHalf; j <= kHalf; ++j)
        values[j + kHalf] = scorer.score({stretch, at0 + j * kStep}, first, last);
    const auto top = std::max_element(values.begin(), values.end());
    const double tolerance = 1e-7 * (std::abs(*top) + 1.0);
    auto lo = top;
    while (lo != values.begin() && *(lo - 1) >= *top - tolerance)
        --lo;
    auto hi = top;
    while (hi + 1 != values.end() && *(hi + 1) >= *top - tolerance)
        ++hi;
    const double middle = (double(lo - values.begin()) + double(hi - values.begin())) / 2.0;
    return at0 + (middle - kHalf) * kStep;
}

// Refines stretch and offset together: grids of stretches, each with its best offset, zooming
// in tenfold at each level.
CentredMap Refine(const Scorer& scorer, CentredMap start, std::size_t first, std::size_t last) {
    struct Level {
        double stretchSpan; // relative, either way
        int stretchSteps;   // either way
        double atSpan;      // ms, either way
        double atStep;      // ms
    };
    static constexpr Level kLevels[] = {
        {2e-3, 20, 300.0, 10.0}, {2e-4, 10, 100.0, 10.0}, {2e-5, 10, 40.0, 5.0},
        {2e-6, 10, 20.0, 2.0},   {2e-7, 10, 10.0, 1.0},
    };
    CentredMap best = start;
    for (const Level& level : kLevels) {
        CentredMap levelBest = best;
        double levelScore = -std::numeric_limits<double>::infinity();
        for (int i = -level.stretchSteps; i <= level.stretchSteps; ++i) {
            const double stretch =
                best.stretch * (1.0 + level.stretchSpan * i / level.stretchSteps);
            const auto [at, s] =
                BestAt(scorer, stretch, best.at, level.atSpan, level.atStep, first, last);
            if (s > levelScore) {
                levelScore = s;
                levelBest = {stretch, at};
            }
        }
        best = levelBest;
    }
    best.at = PlateauMiddle(scorer, best.stretch, best.at, first, last);
    return best;
}

// One stretch's coarse correlation over every offset allowed.
struct Correlation {
    double stretch = 1.0;
    std::vector<double> values; // values[j]: offset offsetOf(j)
    double firstOffsetMs = 0;   // offset (true - stretch * file, ms) of values[0]
    double peakValue = 0;
    std::size_t peak = 0;
    double score = 0;
    double offsetOf(std::size_t j) const { return firstOffsetMs + double(j) * kBinMs; }
};

std::vector<double> BinnedSpeech(const SpeechIndex& speech, const SpeechMask& mask) {
    const std::size_t bins = (mask.size() + kBinFrames - 1) / kBinFrames;
    std::vector<double> y(bins, 0.0);
    for (std::size_t k = 0; k < mask.size(); ++k)
        y[k / kBinFrames] += mask.frames[k];
    for (std::size_t b = 0; b < bins; ++b) {
        const std::size_t width = std::min<std::size_t>(kBinFrames, mask.size() - b * kBinFrames);
        y[b] = y[b] / double(width) - speech.rate();
    }
    // Less the local average of the seconds around: what places subtitles is where speech
    // starts and stops, not which minutes are talkative; without this a film of dense
    // dialogue correlates almost as well at wrong offsets as at the right one.
    std::vector<double> prefix(bins + 1, 0.0);
    for (std::size_t b = 0; b < bins; ++b)
        prefix[b + 1] = prefix[b] + y[b];
    std::vector<double> high(bins);
    for (std::size_t b = 0; b < bins; ++b) {
        const std::size_t lo = b >= kLocalBins ? b - kLocalBins : 0;
        const std::size_t hi = std::min(bins, b + kLocalBins + 1);
        high[b] = y[b] - (prefix[hi] - prefix[lo]) / double(hi - lo);
    }
    return high;
}

// Robust z-score of the peak at `peak` against the values away from it (beyond `apart` on
// either side): the correlation near its own peak is the subtitles' own shape, not chance.
double RobustScore(const std::vector<double>& all, std::size_t peak, std::size_t apart) {
    std::vector<double> values;
    for (std::size_t j = 0; j < all.size(); ++j)
        if ((j > peak ? j - peak : peak - j) > apart)
            values.push_back(all[j]);
    if (values.size() < 8)
        return 0.0;
    const auto mid = values.begin() + std::ptrdiff_t(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    const double median = *mid;
    for (double& v : values)
        v = std::abs(v - median);
    std::nth_element(values.begin(), mid, values.end());
    const double spread = 1.4826 * *mid;
    if (!(spread > 1e-12))
        return 0.0;
    return (all[peak] - median) / spread;
}

Correlation Correlate(const std::vector<Interval>& subtitles, double stretch,
                      const std::vector<double>& speechBins, double soundMs,
                      const FitOptions& options) {
    Correlation result;
    result.stretch = stretch;
    double first = std::numeric_limits<double>::infinity();
    double last = -std::numeric_limits<double>::infinity();
    for (const Interval& s : subtitles) {
        if (s.end > s.start) {
            first = std::min(first, s.start);
            last = std::max(last, s.end);
        }
    }
    if (!(last > first))
        return result;
    // The subtitles' mask, from the first start (the origin) on, in bins of the true time line.
    const double origin = stretch * first;
    const double spanMs = stretch * (last - first);
    const std::size_t length = static_cast<std::size_t>(std::ceil(spanMs / kBinMs)) + 1;
    // One bin before the origin holds the speech-before-start windows of the first subtitles.
    const std::size_t lead = static_cast<std::size_t>(std::ceil(kOnsetMs / kBinMs));
    std::vector<double> x(length + lead, 0.0);
    const auto add = [&](double fromMs, double toMs, double weight) {
        const double u = std::max(0.0, fromMs / kBinMs + double(lead));
        const double v = toMs / kBinMs + double(lead);
        for (auto b = static_cast<std::size_t>(u); double(b) < v && b < x.size(); ++b)
            x[b] += weight * (std::min(v, double(b + 1)) - std::max(u, double(b)));
    };
    for (const Interval& s : subtitles) {
        const double u = stretch * s.start - origin;
        const double v = stretch * s.end - origin;
        add(u, v, 1.0);
        add(u, std::min(v, u + kOnsetMs), kOnsetWeight);
        add(u - kOnsetMs, u, -kOnsetWeight);
    }
    // Lag d puts the origin at bin d: offset = d * bin - origin. Keep the offsets within the
    // limit that leave at least half of the shorter of subtitles and sound overlapping.
    const long long lead_ = static_cast<long long>(lead);
    const long long minLag =
        static_cast<long long>(std::floor((origin - options.maxOffsetMs) / kBinMs)) - lead_;
    const long long maxLag =
        static_cast<long long>(std::ceil((origin + options.maxOffsetMs) / kBinMs)) - lead_;
    const std::vector<double> c = CrossCorrelation(x, speechBins, minLag, maxLag);
    const double needed = 0.5 * std::min(spanMs, soundMs);
    std::vector<double> kept;
    bool any = false;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const double d = double(minLag + static_cast<long long>(i) + lead_);
        const double offset = d * kBinMs - origin;
        const double overlap = std::min(d * kBinMs + spanMs, soundMs) - std::max(d * kBinMs, 0.0);
        if (std::abs(offset) > options.maxOffsetMs || overlap < needed)
            continue;
        if (!any) {
            result.firstOffsetMs = offset;
            any = true;
        }
        kept.push_back(c[i]);
    }
    result.values = std::move(kept);
    if (result.values.empty())
        return result;
    result.peak = std::size_t(std::max_element(result.values.begin(), result.values.end()) -
                              result.values.begin());
    result.peakValue = result.values[result.peak];
    result.score = RobustScore(result.values, result.peak, kScoreApartBins);
    return result;
}

// The strongest separate peaks of a correlation, at least 2 s apart, strongest first.
std::vector<std::size_t> StrongPeaks(const Correlation& c, std::size_t count) {
    constexpr std::size_t kApart = 20;
    std::vector<std::size_t> order(c.values.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return c.values[a] > c.values[b]; });
    std::vector<std::size_t> peaks;
    for (std::size_t j : order) {
        if (peaks.size() == count)
            break;
        bool near = false;
        for (std::size_t p : peaks)
            near = near || (j > p ? j - p : p - j) < kApart;
        if (!near)
            peaks.push_back(j);
    }
    return peaks;
}

LinearMap Uncentre(CentredMap m, double centre) {
    return {m.stretch, m.at - m.stretch * centre};
}

// Pieces of consecutive subtitles, each at one of the strong offsets of the correlation for
// `stretch`, chosen by dynamic programming with a penalty per change. `at` of each piece is
// its offset, still coarse.
std::vector<std::pair<MapPiece, double>> Segment(const Scorer& scorer, const Correlation& c,
                                                 double stretch, double globalAt, double penalty,
                                                 std::size_t n) {
    // Candidate offsets: the global one and the correlation's other strong peaks, each
    // refined on the full mask.
    std::vector<double> ats{globalAt};
    for (std::size_t j : StrongPeaks(c, kSplitCandidates)) {
        const double at0 = c.offsetOf(j) + stretch * scorer.centre();
        const double at = BestAt(scorer, stretch, at0, 200.0, 10.0, 0, n - 1).first;
        bool known = false;
        for (double a : ats)
            known = known || std::abs(a - at) < 50.0;
        if (!known)
            ats.push_back(at);
    }
    const std::size_t m = ats.size();
    // total[j]: the best sum of gains of subtitles 0..i with subtitle i at offset j.
    std::vector<double> total(m, 0.0), next(m);
    std::vector<std::uint8_t> jumped(n * m, 0); // subtitle i came from the best of i - 1
    std::vector<std::size_t> bestBefore(n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t lead =
            std::size_t(std::max_element(total.begin(), total.end()) - total.begin());
        bestBefore[i] = lead;
        for (std::size_t j = 0; j < m; ++j) {
            double stay = total[j];
            const double jump = total[lead] - penalty;
            if (i > 0 && jump > stay) {
                stay = jump;
                jumped[i * m + j] = 1;
            }
            next[j] = stay + scorer.gainOf(i, {stretch, ats[j]});
        }
        total.swap(next);
    }
    std::vector<std::size_t> choice(n);
    std::size_t j = std::size_t(std::max_element(total.begin(), total.end()) - total.begin());
    for (std::size_t i = n; i-- > 0;) {
        choice[i] = j;
        if (jumped[i * m + j])
            j = bestBefore[i];
    }
    std::vector<std::pair<MapPiece, double>> pieces;
    for (std::size_t i = 0; i < n; ++i) {
        if (pieces.empty() || choice[i] != choice[i - 1])
            pieces.push_back({{i, i, {}}, ats[choice[i]]});
        pieces.back().first.last = i;
    }
    return pieces;
}

// One stretch for all pieces, each with its own offset: the stretch that gives the best sum
// of the pieces' best scores, on zooming grids. Updates the pieces' offsets.
double JointStretch(const Scorer& scorer, double stretch,
                    std::vector<std::pair<MapPiece, double>>& pieces) {
    static constexpr double kSpans[] = {2e-3, 2e-4, 2e-5, 2e-6};
    for (double span : kSpans) {
        double bestStretch = stretch;
        double best = -std::numeric_limits<double>::infinity();
        std::vector<double> bestAts;
        for (int i = -10; i <= 10; ++i) {
            const double s = stretch * (1.0 + span * i / 10.0);
            double sum = 0;
            std::vector<double> ats;
            for (const auto& [piece, at] : pieces) {
                const auto [a, v] = BestAt(scorer, s, at, span >= 2e-3 ? 400.0 : 40.0,
                                           span >= 2e-3 ? 10.0 : 2.0, piece.first, piece.last);
                sum += v;
                ats.push_back(a);
            }
            if (sum > best) {
                best = sum;
                bestStretch = s;
                bestAts = std::move(ats);
            }
        }
        stretch = bestStretch;
        for (std::size_t k = 0; k < pieces.size(); ++k)
            pieces[k].second = bestAts[k];
    }
    return stretch;
}

std::vector<MapPiece> SplitPieces(const std::vector<Interval>& subtitles, const Scorer& scorer,
                                  const Correlation& c, CentredMap global,
                                  const SpeechIndex& speech) {
    const std::size_t n = subtitles.size();
    std::vector<double> durations;
    for (const Interval& s : subtitles)
        durations.push_back(std::max(0.0, s.end - s.start));
    std::nth_element(durations.begin(), durations.begin() + std::ptrdiff_t(n / 2), durations.end());
    const double penalty = kJumpPenaltySubtitles * global.stretch * durations[n / 2] / kFrameMs *
                           (1.0 - speech.rate());

    // The single line's stretch is a compromise across the cuts: segment at the coarse
    // stretch, refine one stretch for all pieces, then segment again with it.
    const auto bestAt = [&](double stretch) {
        return BestAt(scorer, stretch, global.at, 400.0, 10.0, 0, n - 1).first;
    };
    auto pieces = Segment(scorer, c, c.stretch, bestAt(c.stretch), penalty, n);
    double stretch = JointStretch(scorer, c.stretch, pieces);
    pieces = Segment(scorer, c, stretch, bestAt(stretch), penalty, n);
    stretch = JointStretch(scorer, stretch, pieces);

    std::vector<MapPiece> result;
    for (auto& [piece, at] : pieces) {
        const double middle = PlateauMiddle(scorer, stretch, at, piece.first, piece.last);
        piece.map = Uncentre({stretch, middle}, scorer.centre());
        result.push_back(piece);
    }
    return result;
}

} // namespace

SpeechMask MaskOfIntervals(const std::vector<Interval>& intervals, double lengthMs) {
    SpeechMask mask;
    const double frames = std::max(0.0, std::ceil(lengthMs / kFrameMs));
    mask.frames.assign(static_cast<std::size_t>(frames), 0);
    for (const Interval& s : intervals) {
        const double u = std::clamp(s.start / kFrameMs, 0.0, frames);
        const double v = std::clamp(s.end / kFrameMs, 0.0, frames);
        // Frames whose middle lies inside the span are covered at least half.
        for (auto k = static_cast<std::size_t>(std::max(0.0, std::ceil(u - 0.5)));
             double(k) + 0.5 < v && k < mask.frames.size(); ++k)
            mask.frames[k] = 1;
    }
    return mask;
}

const LinearMap& FitResult::mapOf(std::size_t i) const {
    for (const MapPiece& piece : pieces)
        if (i >= piece.first && i <= piece.last)
            return piece.map;
    return pieces.back().map;
}

std::vector<double> CandidateStretches() {
    const double rates[] = {24000.0 / 1001.0, 24.0, 25.0, 30000.0 / 1001.0, 30.0};
    std::vector<double> stretches;
    for (double a : rates)
        for (double b : rates)
            stretches.push_back(a / b);
    std::sort(stretches.begin(), stretches.end());
    stretches.erase(std::unique(stretches.begin(), stretches.end(),
                                [](double a, double b) { return std::abs(a - b) < 1e-9; }),
                    stretches.end());
    return stretches;
}

FitResult FitToSpeech(const std::vector<Interval>& input, const SpeechMask& speech,
                      const FitOptions& options) {
    FitResult result;
    const std::size_t n = input.size();
    result.pieces.push_back({0, n == 0 ? 0 : n - 1, {}});
    // Reversed spans count as empty ones; they keep their place in the order.
    std::vector<Interval> subtitles = input;
    // Spans beyond two days are faults of the file; they would only make the masks huge.
    constexpr double kLongestMs = 2.0 * 86400000.0;
    for (Interval& s : subtitles) {
        if (!(std::abs(s.start) <= kLongestMs && std::abs(s.end) <= kLongestMs))
            s = {};
        s.end = std::max(s.end, s.start);
    }
    if (n == 0 || speech.size() < std::size_t(kBinFrames))
        return result;
    const SpeechIndex index(speech);
    if (index.rate() <= 0.0 || index.rate() >= 1.0)
        return result;

    const std::vector<double> speechBins = BinnedSpeech(index, speech);
    Correlation best;
    for (double stretch : options.stretches.empty() ? CandidateStretches() : options.stretches) {
        Correlation c = Correlate(subtitles, stretch, speechBins, speech.lengthMs(), options);
        if (!c.values.empty() && (best.values.empty() || c.score > best.score))
            best = std::move(c);
    }
    if (best.values.empty())
        return result;

    double centre = 0;
    std::size_t spans = 0;
    for (const Interval& s : subtitles)
        if (s.end > s.start) {
            centre += (s.start + s.end) / 2.0;
            ++spans;
        }
    centre /= double(std::max<std::size_t>(spans, 1));
    const Scorer scorer(subtitles, index, centre);
    const CentredMap coarse{best.stretch, best.offsetOf(best.peak) + best.stretch * centre};
    const CentredMap fine = Refine(scorer, coarse, 0, n - 1);
    result.score = best.score;
    result.pieces.front().map = Uncentre(fine, centre);
    if (options.split && n > 1)
        result.pieces = SplitPieces(subtitles, scorer, best, fine, index);
    return result;
}

PoorFitError::PoorFitError(double score)
    : VelkarError([score] {
          char text[128];
          std::snprintf(text, sizeof text,
                        "The subtitles do not match this sound (fit score %.1f, %.1f needed)",
                        score, kMinimumScore);
          return std::string(text);
      }()) {}

void RequireGoodFit(const FitResult& fit) {
    if (!(fit.score >= kMinimumScore))
        throw PoorFitError(fit.score);
}

} // namespace velkar::autosync
