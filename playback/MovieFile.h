#pragma once
// What a movie file must be before a player is asked to open it: a regular file this user can
// read. A pipe, a device or a folder would hold the open up (a FIFO without a writer blocks
// its reader) or fail after a long wait, so it is refused at once, for either player.

#include <string>

namespace velkar {

// Why `path` cannot be played, as the end of "Cannot open media file <path>: <reason>"; empty
// when it is a regular file that can be opened for reading. Never blocks: a FIFO is looked at,
// never opened. Never throws.
// Example: a FIFO gives "it is not a regular file (a pipe, a device or a folder cannot be
// played)"; a missing file "No such file or directory".
std::string MovieFileProblem(const std::string& path);

} // namespace velkar
