#pragma once
// Which subtitle files of a film library belong to which movie: the pairing rules of
// `autosync --batch`, on paths alone (no file is opened).
//
// A movie is a file with one of the movie extensions (mkv, mp4, m4v, avi, mov, webm, ts, mpg,
// wmv). A subtitle file has the extension of a format Velkar reads and sits beside a movie, or
// in a folder named Subs or Subtitles beside it; its name is the movie's name without the
// extension, then any dot-separated tags, then its own extension: Film.srt, Film.en.srt,
// Film.pt-BR.forced.srt, Film.sdh.sub. Case is ignored throughout. A file whose name holds
// ".orig." or ".synced." (the originals kept and copies made by such tools) is never taken, nor
// is a hidden one. A subtitle that could belong to two movies is ambiguous and is left out.

#include <cstddef>
#include <string>
#include <vector>

namespace velkar::cli {

struct LibraryPair {
    std::string movie;
    std::string subtitle;
    bool operator==(const LibraryPair&) const = default;
};

struct AmbiguousSubtitle {
    std::string subtitle;
    std::vector<std::string> movies; // sorted
    bool operator==(const AmbiguousSubtitle&) const = default;
};

struct LibraryPairing {
    // Sorted by movie, then subtitle (byte order of the paths).
    std::vector<LibraryPair> pairs;
    // Sorted by subtitle.
    std::vector<AmbiguousSubtitle> ambiguous;
};

// Pairs the files `paths` (paths with '/' between folders, in any order). Paths that are
// neither a movie nor a subtitle, and subtitles that belong to no movie, are ignored.
LibraryPairing PairLibrary(const std::vector<std::string>& paths);

// Whether `path` names a movie file by its extension.
bool IsMovieName(const std::string& path);

// The pairs of shard `index` of `count` (0 <= index < count): consecutive runs of the sorted
// pairs, about as many in each shard, a movie's subtitles never split between two shards so
// that its sound is decoded once. Every pair falls in exactly one shard.
std::vector<LibraryPair> ShardOf(const std::vector<LibraryPair>& pairs, std::size_t index,
                                 std::size_t count);

} // namespace velkar::cli
