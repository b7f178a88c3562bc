#pragma once
// Recognition of the formats from the lines alone (never from the file name).

#include "document/Progress.h"
#include "document/SubtitleDocument.h"

#include <array>
#include <string>
#include <string_view>

namespace velkar {

struct Detection {
    SubtitleFormat format = sfUnknown;
    // Which checks failed and wrote a record, in the order of ErrorRecord (an error on line 0
    // leaves ErrorLines at 0, so the line alone cannot tell).
    std::array<bool, kErrorRecords> recorded{};
};

// "(Line:<index + 1>)" LF CR <line>, cut to 255 characters: `index` counts from 0, the text
// from 1.
std::string ErrorText(std::size_t index, std::string_view line);

// Runs the checks of every format in the order of RecognitionOrder() (MicroDVD, SubViewer 2.0,
// SubRip, MPL2, WebVTT, ASS/SSA) on doc.SubtitleLines; the first that passes decides. For each
// check that fails with a faulty line, its ErrorLines and ErrorTexts entry name that line (entries
// of checks that pass or do not run are left alone; callers zero ErrorLines first). When all fail,
// the result is sfDamaged if some ErrorLines entry is above 0, else sfUnknown. Does not store the
// result in the document.
Detection DetectFormat(SubtitleDocument& doc, Progress& progress);

} // namespace velkar
