#pragma once
// Fix Synch: re-times a whole document from its two anchors and their true start times.

#include "document/Progress.h"
#include "document/SubtitleDocument.h"

#include <array>
#include <string_view>

namespace velkar {

// The items of the "Regression" list and the tolerance each selects: the number in front of
// the percent sign taken as a plain fraction ("0.1%" selects 0.1).
inline constexpr std::array<std::string_view, 6> kToleranceItems = {
    "0.1%", "0.01%", "0.001%", "0.0001%", "0.00001%", "0.000001%"};
inline constexpr int kDefaultToleranceIndex = 3;
// The most passes one press runs.
inline constexpr int kMaxSynchPasses = 100;

// Tolerance of item `index`; an index outside 0..5 (no item selected) counts as item 3.
long double Tolerance(int index);

// Nearest integer to `x`, ties to even (7.5 -> 8, 4.5 -> 4, -2.5 -> -2).
long double RoundHalfEven(long double x);

struct SynchOutcome {
    int passes = 0;       // scaling passes run; 0 when the span already agreed
    bool rebuilt = false; // false when nothing was done (no table, or no subtitles)
    // The loop ended on a pass that changed no value (the span could get no closer) or on
    // the pass limit, rather than on a span within the tolerance.
    bool settledUnchanged = false;
};

// Re-times the document so that the first anchor starts at `firstText` and the span between
// the anchors' starts becomes the typed span, within the tolerance of item `toleranceIndex`;
// then rewrites the lines (RebuildLines). The texts are read with TextToTime in the document's
// form, so values are frames for MicroDVD and milliseconds otherwise.
//
// Does nothing for a document without a timing table or without subtitles. Passes repeat
// until a pass began with the span within the tolerance, a pass changed nothing, or 100 passes
// ran. All or nothing: on any failure the table and the lines are as before. Throws
// ConversionError for a typed text that does not read, VelkarError "Floating point division by
// zero" (typed span 0, or current span 0) or "Invalid floating point operation" (both spans 0,
// or a scaled value beyond 32 bits), TimeEncodeError for a new time that has no text.
SynchOutcome FixSynch(SubtitleDocument& doc, std::string_view firstText, std::string_view lastText,
                      int toleranceIndex, Progress& progress);

} // namespace velkar
