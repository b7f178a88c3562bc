#include "sync/FixSynch.h"

#include "document/Errors.h"
#include "document/Format.h"
#include "document/Parsing.h"
#include "document/TimeCode.h"
#include "sync/RebuildLines.h"
#include "sync/StraightLine.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace velkar {

namespace {

VelkarError DivisionByZero(const std::string& detail = {}) {
    return VelkarError("Floating point division by zero" + (detail.empty() ? "" : "\n\r" + detail));
}
VelkarError InvalidOperation(const std::string& detail = {}) {
    return VelkarError("Invalid floating point operation" +
                       (detail.empty() ? "" : "\n\r" + detail));
}

// A new value within `limit` either side of 0; beyond it the re-timing has no valid result.
TimeValue Narrow(__int128 value, TimeValue limit) {
    if (value < -limit || value > limit)
        throw InvalidOperation();
    return static_cast<TimeValue>(value);
}

// What a new value is rounded to: the format's unit (whole hundredths in a SubViewer 2.0 or
// ASS document, tenths in MPL2).
std::int64_t UnitOf(SubtitleFormat format) {
    const FormatEntry* entry = FindFormat(format);
    return entry ? entry->unit : 1;
}

// The finished subtitles, or none for a document that has no table to re-time. Refuses a
// document whose table is only what a failed parse left, and anchors outside the table (they
// are reset whenever the count changes, so this only guards against a broken caller).
std::size_t Subtitles(const SubtitleDocument& doc) {
    if (!HasTimingTable(doc.SubtitleFormat) || doc.FinishedCount() == 0)
        return 0;
    RequireParsedTable(doc);
    return doc.FinishedCount();
}

void CheckAnchor(std::int32_t anchor, std::size_t n) {
    if (anchor < 0 || static_cast<std::size_t>(anchor) >= n)
        throw ListIndexError(anchor);
}

// Maps every start and end through `map`, checks that every new time has its text, and only
// then changes the table and the timing lines. The new values are computed twice, to check them
// and to write them, rather than kept: a re-timing holds no second table.
template <class Map> void Apply(SubtitleDocument& doc, std::size_t n, Map map, Progress& progress) {
    const FormatEntry* entry = FindFormat(doc.SubtitleFormat);
    // Formats whose times have no limit of their own take any value the table holds; the others
    // none beyond 32 bits.
    const TimeValue limit = entry && entry->canWrite(kMaxTimeValue)
                                ? kMaxTimeValue
                                : std::numeric_limits<std::int32_t>::max();
    progress.setMaximum(static_cast<int>(n) + 1);
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 4096 == 0)
            progress.setPosition(static_cast<int>(i));
        CheckTimingLine(doc, i, Narrow(map(doc.start(i)), limit), Narrow(map(doc.end(i)), limit),
                        TimeSource::TypedAnchors);
    }
    // Times inside the texts (WebVTT's timestamp tags) go through the same map.
    const InlineMap inlineMap = [&map, limit](std::int64_t v) -> std::int64_t {
        return Narrow(map(v), limit);
    };
    if (entry && entry->mapInlineTimes)
        entry->mapInlineTimes(doc, inlineMap, false);
    for (std::size_t i = 0; i < n; ++i) {
        doc.TimingTable[0][i] = Narrow(map(doc.start(i)), limit);
        doc.TimingTable[1][i] = Narrow(map(doc.end(i)), limit);
    }
    WriteTimingLines(doc, doc.TimingTable[0], doc.TimingTable[1], progress);
    if (entry && entry->mapInlineTimes)
        entry->mapInlineTimes(doc, inlineMap, true);
    progress.setPosition(0);
}

// A time in a result line: its text, or the plain number where the form has none.
std::string TimeText(SubtitleFormat format, std::int64_t value) {
    return CanEncode(format, value) ? TimeToText(format, value) : std::to_string(value);
}

// An anchor as re-timing sees it: its subtitle (0-based), its start in the file (x) and its
// typed true start (y), in the document's unit.
struct Point {
    std::int64_t x, y;
    std::int32_t subtitle;
};

// "3 and 8": the two anchors' numbers (from 1), the smaller first.
std::string AnchorNumbers(const Point& a, const Point& b) {
    return std::to_string(std::min(a.subtitle, b.subtitle) + 1) + " and " +
           std::to_string(std::max(a.subtitle, b.subtitle) + 1);
}

// Refuses two anchors whose typed times do not increase with their starts in the file: the
// straight line through them would run the film backwards (every end before its start), or,
// for equal typed times, squash it onto one instant. Anchors that start at the same time are
// the caller's to refuse.
void CheckTypedOrder(SubtitleFormat format, Point a, Point b) {
    if (a.x == b.x)
        return;
    if (b.x < a.x)
        std::swap(a, b);
    if (a.y == b.y)
        throw DivisionByZero("The two true times are equal: anchors " + AnchorNumbers(a, b) +
                             " both have " + TimeText(format, a.y) +
                             ". Type each anchor's own true start, the later subtitle's later.");
    if (b.y < a.y)
        throw VelkarError(
            "The true times must increase from anchor " + std::to_string(a.subtitle + 1) +
            " to anchor " + std::to_string(b.subtitle + 1) + "\n\rAnchor " +
            std::to_string(a.subtitle + 1) + " is given " + TimeText(format, a.y) + ", anchor " +
            std::to_string(b.subtitle + 1) + " the earlier " + TimeText(format, b.y) + ".");
}

// Why two anchors that start at the same time in the file give no line.
std::string SameStartText(const Point& a, const Point& b) {
    if (a.subtitle == b.subtitle)
        return "The first and the last anchor are the same subtitle (" +
               std::to_string(a.subtitle + 1) + "): pick two subtitles far apart.";
    return "Anchors " + AnchorNumbers(a, b) +
           " start at the same time in the file: pick two subtitles that start at different "
           "times.";
}

// rise / run to six decimals, rounded (ties to even).
std::string Ratio(std::int64_t rise, std::int64_t run) {
    const __int128 millionths = DivideRoundingToEven(static_cast<__int128>(rise) * 1000000, run);
    const __int128 magnitude = millionths < 0 ? -millionths : millionths;
    std::string digits = std::to_string(static_cast<long long>(magnitude % 1000000));
    digits.insert(0, 6 - digits.size(), '0');
    return (millionths < 0 ? "-" : "") +
           std::to_string(static_cast<long long>(magnitude / 1000000)) + "." + digits;
}

std::string Shift(SubtitleFormat format, std::int64_t shift) {
    const std::string sign = shift < 0 ? "-" : "+";
    const std::uint64_t magnitude =
        shift < 0 ? 0 - static_cast<std::uint64_t>(shift) : static_cast<std::uint64_t>(shift);
    const FormatEntry* entry = FindFormat(format);
    if (entry && entry->frames)
        return sign + std::to_string(magnitude) + (magnitude == 1 ? " frame" : " frames");
    std::string millis = std::to_string(magnitude % 1000);
    millis.insert(0, 3 - millis.size(), '0');
    return sign + std::to_string(magnitude / 1000) + "." + millis + " s";
}

} // namespace

bool WithinTolerance(std::int64_t typedSpan, std::int64_t currentSpan, int toleranceIndex) {
    if (toleranceIndex < 0 || toleranceIndex >= static_cast<int>(kToleranceItems.size()))
        toleranceIndex = kDefaultToleranceIndex;
    // "0.1%" is 10^-3: |D - S| * 10^3 <= |D|, all in 128 bits.
    __int128 scale = 1000;
    for (int k = 0; k < toleranceIndex; ++k)
        scale *= 10;
    const __int128 difference = static_cast<__int128>(typedSpan) - currentSpan;
    const __int128 d = typedSpan < 0 ? -static_cast<__int128>(typedSpan) : typedSpan;
    return (difference < 0 ? -difference : difference) * scale <= d;
}

SynchOutcome FixSynch(SubtitleDocument& doc, std::string_view firstText, std::string_view lastText,
                      int toleranceIndex, Progress& progress) {
    SynchOutcome outcome;
    const SubtitleFormat format = doc.SubtitleFormat;
    const std::size_t n = Subtitles(doc);
    if (n == 0)
        return outcome;
    CheckAnchor(doc.FirstAnchor, n);
    CheckAnchor(doc.LastAnchor, n);
    const std::size_t first = static_cast<std::size_t>(doc.FirstAnchor);
    const std::size_t last = static_cast<std::size_t>(doc.LastAnchor);

    const std::int64_t typedFirst = TextToTime(format, firstText);
    const std::int64_t typedSpan = TextToTime(format, lastText) - typedFirst;
    const std::int64_t x1 = doc.start(first);
    const std::int64_t span = static_cast<std::int64_t>(doc.start(last)) - x1;
    const Point a{x1, typedFirst, doc.FirstAnchor};
    const Point b{x1 + span, typedFirst + typedSpan, doc.LastAnchor};
    if (typedSpan == 0 && span == 0)
        throw InvalidOperation(SameStartText(a, b) + " The two true times are equal too.");
    if (span == 0)
        throw DivisionByZero(SameStartText(a, b));
    CheckTypedOrder(format, a, b);

    outcome.anchors = {{doc.FirstAnchor, doc.start(first), 0},
                       {doc.LastAnchor, doc.start(last), 0}};
    if (WithinTolerance(typedSpan, span, toleranceIndex)) {
        outcome.shift = typedFirst - x1;
        if (outcome.shift == 0) {
            outcome.kind = SynchKind::InPlace;
        } else {
            outcome.kind = SynchKind::Shifted;
            Apply(
                doc, n, [&](std::int64_t v) { return static_cast<__int128>(v) + outcome.shift; },
                progress);
        }
    } else {
        outcome.kind = SynchKind::Stretched;
        outcome.slopes = {{typedSpan, span}};
        const LineMap line(StraightLine{x1, typedFirst, typedSpan, span, UnitOf(format)});
        Apply(doc, n, line, progress);
    }
    outcome.anchors[0].after = doc.start(first);
    outcome.anchors[1].after = doc.start(last);
    return outcome;
}

SynchOutcome FixSynchPiecewise(SubtitleDocument& doc, const std::vector<TypedAnchor>& anchors,
                               Progress& progress) {
    SynchOutcome outcome;
    const SubtitleFormat format = doc.SubtitleFormat;
    const std::size_t n = Subtitles(doc);
    if (n == 0)
        return outcome;
    if (anchors.size() < 2)
        throw VelkarError("At least two anchors are needed");
    std::vector<Point> points;
    for (const TypedAnchor& anchor : anchors) {
        CheckAnchor(anchor.subtitle, n);
        points.push_back({doc.start(static_cast<std::size_t>(anchor.subtitle)),
                          TextToTime(format, anchor.time), anchor.subtitle});
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const Point& a, const Point& b) { return a.x < b.x; });
    std::vector<LineMap> lines;
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        const Point &a = points[k], &b = points[k + 1];
        if (a.x == b.x)
            throw VelkarError("Anchors " + std::to_string(std::min(a.subtitle, b.subtitle) + 1) +
                              " and " + std::to_string(std::max(a.subtitle, b.subtitle) + 1) +
                              " start at the same time");
        CheckTypedOrder(format, a, b);
        lines.emplace_back(StraightLine{a.x, a.y, b.y - a.y, b.x - a.x, UnitOf(format)});
        outcome.slopes.push_back({b.y - a.y, b.x - a.x});
    }
    for (const TypedAnchor& anchor : anchors)
        outcome.anchors.push_back(
            {anchor.subtitle, doc.start(static_cast<std::size_t>(anchor.subtitle)), 0});

    // The line of the stretch a value lies in: the last whose left anchor is at or before it.
    auto map = [&](std::int64_t v) {
        std::size_t k = static_cast<std::size_t>(
            std::upper_bound(points.begin() + 1, points.end() - 1, v,
                             [](std::int64_t value, const Point& p) { return value < p.x; }) -
            (points.begin() + 1));
        return lines[k](v);
    };
    Apply(doc, n, map, progress);
    outcome.kind = SynchKind::Stretched;
    for (AnchorMove& move : outcome.anchors)
        move.after = doc.start(static_cast<std::size_t>(move.subtitle));
    return outcome;
}

std::string SynchResultText(const SynchOutcome& outcome, SubtitleFormat format) {
    std::string text;
    switch (outcome.kind) {
    case SynchKind::Nothing:
        return text;
    case SynchKind::InPlace:
        text = "Already in place";
        break;
    case SynchKind::Shifted:
        text = "Shifted by " + Shift(format, outcome.shift);
        break;
    case SynchKind::Stretched:
        text = outcome.slopes.size() == 1 ? "Stretched by " : "Stretched piece by piece by ";
        for (std::size_t k = 0; k < outcome.slopes.size(); ++k)
            text += (k > 0 ? ", " : "") + Ratio(outcome.slopes[k].first, outcome.slopes[k].second);
        break;
    }
    const bool firstAndLast = outcome.anchors.size() == 2 && outcome.slopes.size() <= 1;
    for (std::size_t k = 0; k < outcome.anchors.size(); ++k) {
        const AnchorMove& move = outcome.anchors[k];
        text += firstAndLast ? (k == 0 ? "; first anchor " : "; last anchor ") : "; anchor ";
        text += std::to_string(move.subtitle + 1) + ": " + TimeText(format, move.before) + " -> " +
                TimeText(format, move.after);
    }
    return text;
}

} // namespace velkar
