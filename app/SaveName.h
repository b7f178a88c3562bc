#pragma once
// The file name "Save As..." writes to.

#include "document/SubtitleDocument.h"

#include <string>

namespace velkar {

// `chosen` (the whole path the user chose, never cut) with an extension added when its file
// name has none: the format's own (".sub" for MicroDVD and SubViewer 2.0, ".srt" for SubRip,
// ".txt" for MPL2, ".vtt" for WebVTT, ".ass" and ".ssa"), nothing for Unknown and Damaged. A name
// that has an extension is kept whatever the extension ("subs.txt" stays). Only the last path
// component counts: "/a.b/subs" has no extension; "subs." has an empty one and stays as it is.
std::string SaveTargetName(const std::string& chosen, SubtitleFormat format);

} // namespace velkar
