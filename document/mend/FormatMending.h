#pragma once
// The mending of each format, one function each with the signature of FormatMending.

#include "document/mend/MendedLines.h"

namespace velkar::mend {

bool MendMicroDvd(const LineStore& lines, MendedLines& out, MendFault& fault);
bool MendSubViewer(const LineStore& lines, MendedLines& out, MendFault& fault);
bool MendSubRip(const LineStore& lines, MendedLines& out, MendFault& fault);
bool MendWebVtt(const LineStore& lines, MendedLines& out, MendFault& fault);

} // namespace velkar::mend
