#pragma once
// Opening the files the program reads whole (subtitle files, plain text, the settings file) so
// that nothing can make it wait or fill its memory: only a regular file of at most 256 MiB is
// read; a folder, a pipe, a device or a socket is refused at once.

#include <cstdint>
#include <string>

namespace velkar {

// The largest file read whole, in bytes: 256 MiB.
inline constexpr std::uint64_t kMaxReadBytes = std::uint64_t{256} << 20;

// Opens the regular file at `path` for reading, without waiting on whatever else may stand
// there (a pipe without a writer is never waited on): gives its descriptor, which the caller
// closes, and its size in bytes in `size`. Throws FileOpenError "Cannot open file <path>" when
// it cannot be opened, followed by ": Is a directory" for a folder, ": Not a regular file" for
// a pipe, device or socket, ": The file is larger than 256 MiB" above kMaxReadBytes.
int OpenRegularFile(const std::string& path, std::uint64_t& size);

// Throws FileOpenError "Cannot open file <path>: The file is larger than 256 MiB".
[[noreturn]] void ThrowTooLarge(const std::string& path);

// True when `path` names a regular file (after symbolic links): for readers that report no
// failure, which treat anything else as a file that cannot be opened.
bool IsRegularFile(const std::string& path);

} // namespace velkar
