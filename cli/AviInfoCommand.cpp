// avi-info: the video information report of AVI files.

#include "cli/Commands.h"

namespace velkar::cli {

void AddAviInfoCommand(CLI::App&, Action&) {
    // Registered once the AVI header reader is in the core.
}

} // namespace velkar::cli
