#pragma once
// Telling a subtitle file from a movie, for files handed to the program on its command line or
// dropped onto its window, where no button says which is which.

#include <string>
#include <vector>

namespace velkar {

// How much of a file's start IsSubtitleFile looks at, in bytes.
inline constexpr std::size_t kSubtitleSniffBytes = 64 * 1024;

// True when `path` names a subtitle file: its extension is .srt, .sub or .txt (any case), or
// it is a regular file whose first kSubtitleSniffBytes bytes (cut after their last line break,
// a UTF-8 byte-order mark and NUL bytes at the end left aside) hold no NUL byte (but in a
// format that takes them, see TakesNulBytes) and are recognised as a format Velkar reads with
// at least one subtitle, or as a damaged file of one of them. Anything else (also a file that
// cannot be read, a folder or a FIFO, and UTF-16 text) is taken for a movie.
// Reads at most kSubtitleSniffBytes bytes and never waits on a FIFO or a device. Never throws.
bool IsSubtitleFile(const std::string& path);

// The files handed over, sorted into the subtitle and the movie to open (either may be empty).
struct HandedFiles {
    std::string subtitle;
    std::string movie;
};

// The first subtitle file (IsSubtitleFile) of `paths` and the first other file; the rest is
// ignored. Two paths of the same kind are taken in the order SUBTITLE MOVIE.
// Example: {"film.mkv", "film.srt"} gives subtitle "film.srt", movie "film.mkv".
HandedFiles SortHandedFiles(const std::vector<std::string>& paths);

} // namespace velkar
