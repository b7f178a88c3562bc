#include "autosync/SpeechCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <vector>

namespace velkar::autosync {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMagic = "VELKAR-SPEECH-2\n";
constexpr std::string_view kExtension = ".speech";
constexpr std::size_t kHashedBytes = 1u << 20; // from each end of the movie
constexpr std::size_t kFieldCount = 9;         // six of the identity, frame rate, frames, peaks
constexpr std::size_t kHeaderBytes = kMagic.size() + kFieldCount * 8;

// FNV-1a, 64 bits.
struct Fnv {
    std::uint64_t value = 0xcbf29ce484222325ull;
    void add(const unsigned char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            value = (value ^ bytes[i]) * 0x100000001b3ull;
    }
};

// Adds `count` bytes of `fd` from `offset`; false when they cannot all be read.
bool HashRange(int fd, std::uint64_t offset, std::size_t count, Fnv& hash) {
    std::vector<unsigned char> buffer(count);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got =
            ::pread(fd, buffer.data() + done, count - done, static_cast<off_t>(offset + done));
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    hash.add(buffer.data(), count);
    return true;
}

void PutField(std::string& out, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xffu));
}

std::uint64_t GetField(std::string_view in, std::size_t index) {
    std::uint64_t value = 0;
    for (int i = 0; i < 8; ++i)
        value |= std::uint64_t(static_cast<unsigned char>(in[kMagic.size() + index * 8 + i]))
                 << (8 * i);
    return value;
}

std::string IdentityFields(const MovieIdentity& movie) {
    std::string out;
    PutField(out, movie.device);
    PutField(out, movie.inode);
    PutField(out, movie.size);
    PutField(out, static_cast<std::uint64_t>(movie.modifiedNs));
    PutField(out, static_cast<std::uint64_t>(movie.stream));
    PutField(out, movie.contentHash);
    return out;
}

std::string FileName(const MovieIdentity& movie) {
    const std::string fields = IdentityFields(movie);
    Fnv hash;
    hash.add(reinterpret_cast<const unsigned char*>(fields.data()), fields.size());
    char name[32];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash.value));
    return std::string(name) + std::string(kExtension);
}

// Removes the least recently used speech files until the rest fit in `limit` bytes.
void Trim(const fs::path& directory, std::uintmax_t limit) {
    struct Entry {
        fs::path path;
        fs::file_time_type used;
        std::uintmax_t size;
    };
    std::vector<Entry> entries;
    std::uintmax_t total = 0;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().extension() != kExtension)
            continue;
        std::error_code e1, e2;
        const auto size = it->file_size(e1);
        const auto used = it->last_write_time(e2);
        if (e1 || e2)
            continue;
        entries.push_back({it->path(), used, size});
        total += size;
    }
    if (total <= limit)
        return;
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.used < b.used; });
    for (const Entry& entry : entries) {
        if (total <= limit)
            break;
        std::error_code ignored;
        if (fs::remove(entry.path, ignored))
            total -= entry.size;
    }
}

} // namespace

std::optional<MovieIdentity> IdentifyMovie(const std::string& path, int stream) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat facts {};
    std::optional<MovieIdentity> identity;
    if (::fstat(fd, &facts) == 0 && S_ISREG(facts.st_mode)) {
        MovieIdentity movie;
        movie.device = static_cast<std::uint64_t>(facts.st_dev);
        movie.inode = static_cast<std::uint64_t>(facts.st_ino);
        movie.size = static_cast<std::uint64_t>(facts.st_size);
        movie.modifiedNs = std::int64_t(facts.st_mtim.tv_sec) * 1000000000 + facts.st_mtim.tv_nsec;
        movie.stream = stream;
        Fnv hash;
        const std::size_t head =
            static_cast<std::size_t>(std::min<std::uint64_t>(movie.size, kHashedBytes));
        const std::uint64_t tailStart = movie.size > kHashedBytes ? movie.size - kHashedBytes : 0;
        if (HashRange(fd, 0, head, hash) &&
            HashRange(fd, tailStart, static_cast<std::size_t>(movie.size - tailStart), hash)) {
            movie.contentHash = hash.value;
            identity = movie;
        }
    }
    ::close(fd);
    return identity;
}

SpeechCache::SpeechCache(std::filesystem::path directory, std::uintmax_t limitBytes)
    : m_directory(std::move(directory)), m_limitBytes(limitBytes) {}

std::filesystem::path SpeechCache::DefaultDirectory() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache == '/')
        return fs::path(cache) / "velkar";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".cache" / "velkar";
    return {};
}

std::optional<MovieSpeech> SpeechCache::find(const MovieIdentity& movie) const {
    if (m_directory.empty())
        return std::nullopt;
    const fs::path file = m_directory / FileName(movie);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < kHeaderBytes || std::string_view(bytes).substr(0, kMagic.size()) != kMagic ||
        bytes.compare(kMagic.size(), 6 * 8, IdentityFields(movie)) != 0)
        return std::nullopt;
    const std::uint64_t count = GetField(bytes, 7);
    const std::uint64_t peakCount = GetField(bytes, 8);
    const std::uint64_t body = bytes.size() - kHeaderBytes;
    if ((peakCount != 0 && peakCount != count) || count > body * 8 ||
        (count + 7) / 8 + peakCount != body)
        return std::nullopt;
    MovieSpeech speech;
    speech.frameRate = std::bit_cast<double>(GetField(bytes, 6));
    speech.speech.frames.resize(static_cast<std::size_t>(count));
    for (std::size_t k = 0; k < speech.speech.frames.size(); ++k)
        speech.speech.frames[k] =
            (static_cast<unsigned char>(bytes[kHeaderBytes + k / 8]) >> (k % 8)) & 1u;
    const std::size_t peaksAt = kHeaderBytes + static_cast<std::size_t>((count + 7) / 8);
    speech.peaks.assign(bytes.begin() + std::ptrdiff_t(peaksAt), bytes.end());
    std::error_code ignored;
    fs::last_write_time(file, fs::file_time_type::clock::now(), ignored);
    return speech;
}

void SpeechCache::store(const MovieIdentity& movie, const MovieSpeech& speech) const {
    if (m_directory.empty())
        return;
    std::string bytes(kMagic);
    bytes += IdentityFields(movie);
    PutField(bytes, std::bit_cast<std::uint64_t>(speech.frameRate));
    const std::vector<std::uint8_t>& frames = speech.speech.frames;
    PutField(bytes, frames.size());
    const bool peaks = speech.peaks.size() == frames.size();
    PutField(bytes, peaks ? frames.size() : 0);
    bytes.resize(kHeaderBytes + (frames.size() + 7) / 8, '\0');
    for (std::size_t k = 0; k < frames.size(); ++k)
        if (frames[k])
            bytes[kHeaderBytes + k / 8] = static_cast<char>(
                static_cast<unsigned char>(bytes[kHeaderBytes + k / 8]) | (1u << (k % 8)));
    if (peaks)
        bytes.append(speech.peaks.begin(), speech.peaks.end());

    std::error_code error;
    fs::create_directories(m_directory, error);
    if (error)
        return;
    // Written aside and renamed, so that a reader (another job) sees the old file or the new.
    static std::atomic<unsigned> counter{0};
    const std::string name = FileName(movie);
    const fs::path temporary = m_directory / (name + ".part." + std::to_string(::getpid()) + "." +
                                              std::to_string(counter++));
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            fs::remove(temporary, error);
            return;
        }
    }
    fs::rename(temporary, m_directory / name, error);
    if (error) {
        fs::remove(temporary, error);
        return;
    }
    Trim(m_directory, m_limitBytes);
}

std::optional<MovieSpeech>
SpeechThroughCache(const std::string& path, int stream, const SpeechCache* cache,
                   const std::function<std::optional<MovieSpeech>()>& detect, bool* fromCache,
                   bool needPeaks) {
    if (fromCache)
        *fromCache = false;
    const std::optional<MovieIdentity> movie =
        cache ? IdentifyMovie(path, stream) : std::optional<MovieIdentity>();
    if (movie) {
        std::optional<MovieSpeech> kept = cache->find(*movie);
        if (kept && (!needPeaks || !kept->peaks.empty() || kept->speech.frames.empty())) {
            if (fromCache)
                *fromCache = true;
            return kept;
        }
    }
    std::optional<MovieSpeech> heard = detect();
    // Kept only when the movie did not change while it was heard.
    if (heard && movie && IdentifyMovie(path, stream) == movie)
        cache->store(*movie, *heard);
    return heard;
}

} // namespace velkar::autosync
