// MicroDVD: one subtitle per line. Mended: invisible characters before a line's braces, lines
// of blanks, and what stands before the first subtitle (a download's header lines, empty lines).
#include "document/LineTests.h"
#include "document/mend/FormatMending.h"

namespace velkar::mend {

bool MendMicroDvd(const LineStore& lines, MendedLines& out, MendFault& fault) {
    bool started = false; // a MicroDVD line has been seen
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty()) {
            if (started)
                out.keep(i);
            else
                out.drop(i, MendKind::ExtraEmptyLine);
            continue;
        }
        if (IsMicroDVDLine(ShortString(line))) {
            started = true;
            out.keep(i);
            continue;
        }
        const std::size_t invisible = InvisiblePrefix(line);
        if (invisible > 0 && line.size() > invisible &&
            IsMicroDVDLine(ShortString(line.substr(invisible)))) {
            started = true;
            out.rewrite(i, std::string(line.substr(invisible)), MendKind::InvisibleMark);
        } else if (IsBlankLine(line)) {
            if (started)
                out.rewrite(i, {}, MendKind::BlankLine);
            else
                out.drop(i, MendKind::ExtraEmptyLine);
        } else if (!started && IsForeignLine(line)) {
            out.drop(i, MendKind::ForeignLine);
        } else {
            fault = {i, "not a MicroDVD line"};
            return false;
        }
    }
    if (!started) {
        fault = {0, "no MicroDVD line"};
        return false;
    }
    return true;
}

} // namespace velkar::mend
