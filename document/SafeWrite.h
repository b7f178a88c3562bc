#pragma once
// The one way the program replaces a file on disk: subtitle files, the settings file and the
// descriptor file all go through SafeWrite.
//
// The target must be a regular file or not exist; a symbolic link is followed (the file it
// names is written, the link stays). The new bytes go to a file of their own in the target's
// folder (an anonymous O_TMPFILE file where the file system has them, else a hidden file named
// ".velkar-save-<pid>-XXXXXX"), are flushed, and replace the target by a rename, after which
// the folder is flushed too: the target is always either the old file or the whole new one. A
// replaced file keeps its owner, group and mode, whatever group the folder gives new files (a
// setgid folder); a new one gets 0666 less the umask. Where the folder cannot take a new file but
// the target is writable, or where the owner or group cannot be kept, the target is rewritten in
// place instead: the new bytes are made in memory, room for them is reserved in the file (or
// zeros written past its end where the file system cannot reserve), and a file size limit is
// checked, all before the first byte of the old file changes; then they are written over it, the
// file is cut to their length and flushed. Hidden files of earlier saves that were killed
// half-way (their process is gone) are removed from the folder.

#include <functional>
#include <string>
#include <string_view>

namespace velkar {

// Writes all `size` bytes at `data` to `fd`, going on after interruptions. False on an error
// (errno tells which).
bool WriteAll(int fd, const char* data, std::size_t size);

// How the new bytes are first kept: Anonymous tries O_TMPFILE and falls back to a hidden
// named file; Named always uses the hidden named file (for tests of interrupted saves).
enum class SaveTemporary { Anonymous, Named };

// Replaces the file at `path` (see above) with what `fill` writes to the descriptor it is
// given; `fill` returns false on a write error, with errno set. `fill` may be called more than
// once (each time on a fresh, empty file) and must write the same bytes each time. Throws
// FileCreateError "Cannot create file <path>: <reason>", the reason being the system's ("Permission
// denied", "Is a directory", "No space left on device"), or "Not a regular file" for a pipe, device
// or socket; the target is then left as it was. Only a rewrite in place that fails after its
// first byte (a failure no check could foresee, as an I/O error) leaves the file damaged; the
// message then says so on a second line ("The old file could not be kept: ...").
void SafeWrite(const std::string& path, const std::function<bool(int fd)>& fill,
               SaveTemporary temporary = SaveTemporary::Anonymous);

// SafeWrite of `bytes`.
void SafeWriteBytes(const std::string& path, std::string_view bytes);

// The name prefix of the hidden files of a save in progress.
inline constexpr std::string_view kSaveTemporaryPrefix = ".velkar-save-";

} // namespace velkar
