#include "sync/FixSynch.h"

#include "document/Errors.h"
#include "document/TimeCode.h"
#include "sync/RebuildLines.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace velkar {

namespace {

// The extended-precision numbers nearest to the decimals of the list.
constexpr long double kTolerances[] = {0.1L, 0.01L, 0.001L, 0.0001L, 0.00001L, 0.000001L};

VelkarError DivisionByZero() {
    return VelkarError("Floating point division by zero");
}
VelkarError InvalidOperation() {
    return VelkarError("Invalid floating point operation");
}

// A value that must fit a 32-bit table cell; beyond it the arithmetic has no valid result.
std::int32_t Narrow(long long value) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        throw InvalidOperation();
    return static_cast<std::int32_t>(value);
}

// |(D - S) / D| in extended precision.
long double RelativeError(long long typedSpan, long long currentSpan) {
    if (typedSpan == 0)
        throw currentSpan == 0 ? InvalidOperation() : DivisionByZero();
    return std::fabs((static_cast<long double>(typedSpan) - static_cast<long double>(currentSpan)) /
                     static_cast<long double>(typedSpan));
}

std::int32_t Scale(std::int32_t value, long double ratio) {
    long double scaled = RoundHalfEven(static_cast<long double>(value) * ratio);
    if (!(scaled >= std::numeric_limits<std::int32_t>::min() &&
          scaled <= std::numeric_limits<std::int32_t>::max()))
        throw InvalidOperation();
    // A whole number in range: lrint converts it as it stands, where a cast would switch the
    // x87 rounding mode to truncation and back for every value.
    return static_cast<std::int32_t>(std::lrint(scaled));
}

} // namespace

long double Tolerance(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(kTolerances)))
        index = kDefaultToleranceIndex;
    return kTolerances[index];
}

long double RoundHalfEven(long double x) {
    // The default rounding mode rounds to nearest with ties to even. Below 2^(digits - 2) the
    // sum with 3 * 2^(digits - 2) has no bits left for a fraction, so it rounds to an integer
    // in that mode, and taking the constant away again is exact: what nearbyint gives, without
    // saving and restoring the floating-point environment for every value it scales.
    constexpr int kDigits = std::numeric_limits<long double>::digits;
    constexpr long double kLimit = [] {
        long double p = 1;
        for (int k = 0; k < kDigits - 2; ++k)
            p *= 2;
        return p;
    }();
    if (!(std::fabs(x) < kLimit))
        return std::nearbyint(x);
    // Ties to even are the same on both sides of 0; a zero keeps its sign.
    if (x < 0)
        return -((-x + 3 * kLimit) - 3 * kLimit);
    if (x > 0)
        return (x + 3 * kLimit) - 3 * kLimit;
    return x;
}

SynchOutcome FixSynch(SubtitleDocument& doc, std::string_view firstText, std::string_view lastText,
                      int toleranceIndex, Progress& progress) {
    SynchOutcome outcome;
    const SubtitleFormat format = doc.SubtitleFormat;
    const std::size_t n = doc.FinishedCount(); // a subtitle still being created has no lines
    if (!HasTimingTable(format) || n == 0)
        return outcome;
    // Anchors outside the table would read outside it; they are reset whenever the count
    // changes, so this only guards against a broken caller.
    if (doc.FirstAnchor < 0 || static_cast<std::size_t>(doc.FirstAnchor) >= n ||
        doc.LastAnchor < 0 || static_cast<std::size_t>(doc.LastAnchor) >= n)
        throw ListIndexError(doc.FirstAnchor < 0 || static_cast<std::size_t>(doc.FirstAnchor) >= n
                                 ? doc.FirstAnchor
                                 : doc.LastAnchor);
    const std::size_t first = static_cast<std::size_t>(doc.FirstAnchor);
    const std::size_t last = static_cast<std::size_t>(doc.LastAnchor);

    const std::int32_t typedFirst = TextToTime(format, firstText);
    const long long typedSpan =
        static_cast<long long>(TextToTime(format, lastText)) - static_cast<long long>(typedFirst);
    const long double tolerance = Tolerance(toleranceIndex);

    // Work on copies of the two rows: the document changes only when everything succeeded.
    std::vector<std::int32_t> starts(doc.TimingTable[0].begin(), doc.TimingTable[0].begin() + n);
    std::vector<std::int32_t> ends(doc.TimingTable[1].begin(), doc.TimingTable[1].begin() + n);
    auto span = [&] { return static_cast<long long>(starts[last]) - starts[first]; };

    if (RelativeError(typedSpan, span()) > tolerance) {
        std::vector<std::int32_t> durations(n), gaps(n);
        for (;;) {
            const long long currentSpan = span();
            if (currentSpan == 0)
                throw DivisionByZero();
            const long double ratio =
                static_cast<long double>(typedSpan) / static_cast<long double>(currentSpan);
            progress.setMaximum(static_cast<int>(2 * n + 1));
            for (std::size_t i = 0; i < n; ++i) {
                progress.setPosition(static_cast<int>(i));
                durations[i] = Narrow(static_cast<long long>(ends[i]) - starts[i]);
                if (i + 1 < n)
                    gaps[i] = Narrow(static_cast<long long>(starts[i + 1]) - ends[i]);
            }
            for (std::size_t i = 0; i < n; ++i) {
                durations[i] = Scale(durations[i], ratio);
                if (i + 1 < n)
                    gaps[i] = Scale(gaps[i], ratio);
            }

            bool changed = false;
            auto place = [&](std::size_t i, long long start) {
                const std::int32_t newStart = Narrow(start);
                const std::int32_t newEnd = Narrow(static_cast<long long>(newStart) + durations[i]);
                changed = changed || newStart != starts[i] || newEnd != ends[i];
                starts[i] = newStart;
                ends[i] = newEnd;
            };
            place(first, typedFirst);
            for (std::size_t i = first + 1; i < n; ++i) {
                progress.setPosition(static_cast<int>(n + i));
                place(i, static_cast<long long>(starts[i - 1]) + durations[i - 1] + gaps[i - 1]);
            }
            for (std::size_t j = first; j-- > 0;)
                place(j, static_cast<long long>(starts[j + 1]) - durations[j] - gaps[j]);

            ++outcome.passes;
            if (RelativeError(typedSpan, currentSpan) <= tolerance)
                break;
            if (!changed || outcome.passes >= kMaxSynchPasses) {
                outcome.settledUnchanged = true;
                break;
            }
        }
    }

    // Every new time must have a text before anything changes; after the check the lines are
    // rewritten in place and nothing can fail.
    CheckTimingLines(doc, starts, ends);
    std::copy(starts.begin(), starts.end(), doc.TimingTable[0].begin());
    std::copy(ends.begin(), ends.end(), doc.TimingTable[1].begin());
    WriteTimingLines(doc, starts, ends, progress);
    progress.setPosition(0);
    outcome.rebuilt = true;
    return outcome;
}

} // namespace velkar
