#pragma once
// What the timing strip changes in a document, in the document's own unit: one subtitle's times
// (a drag, Shift/Ctrl+click), and the whole document re-timed through sync points.

#include "document/Progress.h"
#include "document/SubtitleDocument.h"
#include "sync/FixSynch.h"

#include <cstdint>
#include <vector>

namespace velkar::strip {

// Gives subtitle `i` (a finished one) the start and end given and rewrites its timing line as
// the repair of a single dialog does; no other byte changes. Throws TimeEncodeError (a time
// the format cannot write), ListIndexError, or VelkarError "The start of subtitle N must come
// before its end"; the document is unchanged then.
void SetSubtitleTimes(SubtitleDocument& doc, std::size_t i, TimeValue start, TimeValue end);

// A sync point: subtitle `subtitle` (0-based) truly starts at `value`.
struct SyncPoint {
    std::int32_t subtitle = 0;
    TimeValue value = 0;
};

// Re-times the document through two or more sync points, each stretch between neighbouring
// points through its own straight line (FixSynchPiecewise: what `velkar-cli sync --anchor`
// does with the same anchors). Throws what FixSynchPiecewise throws; all or nothing.
SynchOutcome ApplySyncPoints(SubtitleDocument& doc, const std::vector<SyncPoint>& points,
                             Progress& progress);

} // namespace velkar::strip
