#pragma once
// Fix Synch: re-times a whole document from its anchors and their true start times.

#include "document/Progress.h"
#include "document/SubtitleDocument.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkar {

// The items of the "Regression" list. Each is the tolerance it reads as: "0.1%" is 0.001,
// "0.0001%" (the default) is 0.000001.
inline constexpr std::array<std::string_view, 6> kToleranceItems = {
    "0.1%", "0.01%", "0.001%", "0.0001%", "0.00001%", "0.000001%"};
inline constexpr int kDefaultToleranceIndex = 3;

// Whether the typed span D lies within the tolerance of item `toleranceIndex` of the current
// span S: |(D - S) / D| <= 10^-(index + 3), decided exactly. An index outside 0..5 (no item
// selected) counts as item 3. D must not be 0.
bool WithinTolerance(std::int64_t typedSpan, std::int64_t currentSpan, int toleranceIndex);

enum class SynchKind {
    Nothing,   // no timing table, or no subtitles: nothing was done
    InPlace,   // the typed times were the anchors' own: nothing changed
    Shifted,   // every value moved by `shift`
    Stretched, // every value went through the straight line (or lines, one per piece)
};

// Where an anchor's start was and where it went (0-based subtitle number).
struct AnchorMove {
    std::int32_t subtitle = 0;
    TimeValue before = 0;
    TimeValue after = 0;
};

struct SynchOutcome {
    SynchKind kind = SynchKind::Nothing;
    std::int64_t shift = 0; // Shifted: what every value moved by, in the document's unit
    // Stretched: each line's slope as typed span / file span, one per piece between anchors.
    std::vector<std::pair<std::int64_t, std::int64_t>> slopes;
    std::vector<AnchorMove> anchors; // in the order given: first and last, or every anchor
    bool rebuilt() const { return kind != SynchKind::Nothing; }
};

// Re-times every start and end of the document (columns 0 .. FinishedCount() - 1) through the
// straight line through (start(FirstAnchor), typed first) and (start(LastAnchor), typed last),
// each value computed exactly and rounded once (to whole hundredths, 10 ms, in a SubViewer 2.0
// document), ties to even; so the first anchor lands on the typed first time, the last on the
// typed last, every other value within half a unit of the line. When the typed span is within
// the tolerance of item `toleranceIndex` of the current span, the document is shifted instead
// (every value + typed first - start(FirstAnchor)); when that shift is 0, nothing changes at
// all. Then rewrites the timing lines (RebuildLines). The texts are read with TextToTime in
// the document's form: frames for MicroDVD, milliseconds otherwise.
//
// Does nothing for a document without a timing table or without subtitles. All or nothing: on
// any failure the table and the lines are as before. Throws UnparsedDocumentError after a
// failed parse, ConversionError for a typed text that does not read, VelkarError "Floating
// point division by zero" (typed span 0, or current span 0) or "Invalid floating point
// operation" (both spans 0, or a new value beyond the table's limit), each with a second line that
// says why ("The two true times are equal: anchors 1 and 8 both have 00:00:02,000. ...");
// VelkarError "The true times must increase from anchor N to anchor M" (N the anchor that starts
// earlier in the file) when the typed times run the other way; TimeEncodeError for a new time that
// has no text, naming the subtitle on its second line.
SynchOutcome FixSynch(SubtitleDocument& doc, std::string_view firstText, std::string_view lastText,
                      int toleranceIndex, Progress& progress);

// An anchor of a piecewise re-timing: a subtitle (0-based) and its true start as typed.
struct TypedAnchor {
    std::int32_t subtitle = 0;
    std::string time;
};

// Re-times the document piece by piece for a film re-cut in several places: the anchors,
// taken in the order of their starts in the file, cut it into stretches, and each stretch maps
// through its own straight line through its two anchors (rounded once, as FixSynch); values
// before the first anchor follow the first line, values after the last anchor the last line.
// Needs two anchors or more, each naming a subtitle of the document, no two starting at the same
// value (VelkarError "Anchors <a> and <b> start at the same time", numbered from 1), and typed
// times that increase with the starts (else the errors of FixSynch for equal or backward typed
// times, naming the two neighbouring anchors). Otherwise throws as FixSynch; all or nothing.
SynchOutcome FixSynchPiecewise(SubtitleDocument& doc, const std::vector<TypedAnchor>& anchors,
                               Progress& progress);

// The line that says what a press did, in the document's time form, for example
//   Stretched by 1.042709; first anchor 1: 00:00:01,500 -> 00:00:02,000; last anchor 8:
//   00:00:28,400 -> 00:00:31,100
//   Shifted by +0.500 s; first anchor 1: ...      (MicroDVD: "Shifted by -25 frames; ...")
//   Already in place; first anchor 1: 00:00:01,500 -> 00:00:01,500; ...
//   Stretched piece by piece by 1.000000, 0.959040; anchor 1: ...; anchor 40: ...; anchor 80: ...
// The ratio is typed span / file span to six decimals. Empty for SynchKind::Nothing.
std::string SynchResultText(const SynchOutcome& outcome, SubtitleFormat format);

} // namespace velkar
