#pragma once
// The speech found in a movie, kept on disk so that syncing another subtitle (another language)
// against the same movie does not decode its sound again. One small file per movie and stream
// (a bit per 10 ms of speech, and a byte of the sound's level where the window drew it: 90 kB
// or 810 kB for a 2-hour film); the least recently used go first when the cache
// outgrows its limit. A cache that cannot be read or written is a cache that misses: it never
// fails a sync.

#include "autosync/MovieSpeech.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace velkar::autosync {

// What a movie's cached speech is kept under: the file as the file system knows it, the stream
// listened to, and a hash of its first and last MiB (so a file copied over another of the same
// size within the same second still differs).
struct MovieIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t stream = -1; // as asked: -1 is the first sound stream
    std::uint64_t contentHash = 0;

    bool operator==(const MovieIdentity&) const = default;
};

// The identity of the movie at `path` for stream `stream`; empty when it cannot be read.
std::optional<MovieIdentity> IdentifyMovie(const std::string& path, int stream);

class SpeechCache {
  public:
    static constexpr std::uintmax_t kDefaultLimitBytes = 64u << 20; // about 700 two-hour films

    explicit SpeechCache(std::filesystem::path directory,
                         std::uintmax_t limitBytes = kDefaultLimitBytes);

    // $XDG_CACHE_HOME/velkar, else ~/.cache/velkar; empty when neither variable is set.
    static std::filesystem::path DefaultDirectory();

    // The speech kept for `movie`, or empty. A hit counts as a use for the limit.
    std::optional<MovieSpeech> find(const MovieIdentity& movie) const;
    // Keeps `speech` for `movie` (replacing it atomically), then trims the cache to its limit.
    void store(const MovieIdentity& movie, const MovieSpeech& speech) const;

    const std::filesystem::path& directory() const { return m_directory; }

  private:
    std::filesystem::path m_directory;
    std::uintmax_t m_limitBytes;
};

// The speech of stream `stream` of the movie at `path`: from `cache` when it holds it (and
// `cache` is not null), else from `detect`, which is then kept in the cache. `fromCache` (when
// given) tells which. With `needPeaks`, kept speech without the sound's levels (kept by the
// command-line tool) counts as a miss. Throws what `detect` throws; a cancelled `detect`
// (empty) is not kept.
std::optional<MovieSpeech>
SpeechThroughCache(const std::string& path, int stream, const SpeechCache* cache,
                   const std::function<std::optional<MovieSpeech>()>& detect,
                   bool* fromCache = nullptr, bool needPeaks = false);

} // namespace velkar::autosync
