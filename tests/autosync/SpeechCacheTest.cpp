// The speech kept between syncs: what comes back is what was kept, a changed movie misses, a
// broken or unwritable cache only misses, the limit drops the least recently used, and a second
// `velkar-cli autosync` against the same movie does not decode it again.

#include "autosync/SpeechCache.h"

#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <thread>

namespace velkar::autosync {
namespace {

using testing::HasSubstr;
using testing::Not;
namespace fs = std::filesystem;

const std::string kClips = VELKAR_AUTOSYNC_CLIPS_DIR;

MovieSpeech RandomSpeech(std::size_t frames, unsigned seed) {
    std::mt19937 random(seed);
    MovieSpeech speech;
    speech.frameRate = seed % 2 ? 23.976 : 0;
    for (std::size_t k = 0; k < frames; ++k)
        speech.speech.frames.push_back(static_cast<std::uint8_t>(random() % 2));
    if (seed % 2) // the window keeps the sound's levels too
        for (std::size_t k = 0; k < frames; ++k)
            speech.peaks.push_back(static_cast<std::uint8_t>(random() % 256));
    return speech;
}

MovieIdentity Movie(std::uint64_t inode) {
    MovieIdentity movie;
    movie.device = 2049;
    movie.inode = inode;
    movie.size = 1000;
    movie.modifiedNs = 1700000000123456789;
    movie.stream = -1;
    movie.contentHash = 0x1234;
    return movie;
}

TEST(SpeechCache, GivesBackWhatWasKeptForThatMovieOnly) {
    test::TempFolder folder;
    const SpeechCache cache(folder.path("cache"));
    for (std::size_t frames : {0u, 1u, 7u, 8u, 9u, 4321u}) {
        const MovieIdentity movie = Movie(frames + 100);
        const MovieSpeech kept = RandomSpeech(frames, static_cast<unsigned>(frames));
        cache.store(movie, kept);
        const auto found = cache.find(movie);
        ASSERT_TRUE(found) << frames;
        EXPECT_EQ(found->speech.frames, kept.speech.frames) << frames;
        EXPECT_EQ(found->frameRate, kept.frameRate);
        EXPECT_EQ(found->peaks, kept.peaks);
    }
    // Any part of the identity that differs is another movie (or another of its streams).
    const MovieIdentity movie = Movie(4421);
    const std::vector<void (*)(MovieIdentity&)> changes = {
        [](MovieIdentity& m) { ++m.device; },   [](MovieIdentity& m) { ++m.inode; },
        [](MovieIdentity& m) { ++m.size; },     [](MovieIdentity& m) { ++m.modifiedNs; },
        [](MovieIdentity& m) { m.stream = 1; }, [](MovieIdentity& m) { ++m.contentHash; }};
    for (std::size_t i = 0; i < changes.size(); ++i) {
        MovieIdentity other = movie;
        changes[i](other);
        EXPECT_FALSE(cache.find(other)) << "change " << i;
    }
}

TEST(SpeechCache, AMovieChangedInPlaceIsAnotherMovie) {
    test::TempFolder folder;
    const fs::path movie = folder.path("movie.mkv");
    test::WriteBytes(movie, std::string(3u << 20, 'a'));
    const auto before = IdentifyMovie(movie.string(), -1);
    ASSERT_TRUE(before);
    EXPECT_EQ(IdentifyMovie(movie.string(), -1), before);
    EXPECT_NE(IdentifyMovie(movie.string(), 2), before);

    // The same size and modification time, one byte changed near the end.
    struct stat facts {};
    ASSERT_EQ(::stat(movie.c_str(), &facts), 0);
    std::string bytes(3u << 20, 'a');
    bytes[bytes.size() - 10] = 'b';
    test::WriteBytes(movie, bytes);
    const struct timespec times[2] = {facts.st_atim, facts.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, movie.c_str(), times, 0), 0);
    const auto after = IdentifyMovie(movie.string(), -1);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->modifiedNs, before->modifiedNs);
    EXPECT_NE(after, before);

    EXPECT_FALSE(IdentifyMovie(folder.path("missing.mkv").string(), -1));
    EXPECT_FALSE(IdentifyMovie(folder.path("").string(), -1)); // a folder
}

TEST(SpeechCache, ABrokenOrUnwritableCacheOnlyMisses) {
    test::TempFolder folder;
    const SpeechCache cache(folder.path("cache"));
    const MovieIdentity movie = Movie(7);
    cache.store(movie, RandomSpeech(1000, 7));
    fs::path kept;
    for (const auto& entry : fs::directory_iterator(folder.path("cache")))
        kept = entry.path();
    const std::string good = test::ReadBytes(kept);
    for (const std::string& bad : {good.substr(0, good.size() - 1), good + "x", std::string(),
                                   "X" + good.substr(1), good.substr(0, 20)}) {
        test::WriteBytes(kept, bad);
        EXPECT_FALSE(cache.find(movie)) << bad.size();
    }
    cache.store(movie, RandomSpeech(1000, 7));
    EXPECT_TRUE(cache.find(movie));

    // Where the cache's folder should be there is a file: nothing is kept, the speech still
    // comes from the detector.
    test::WriteBytes(folder.path("blocked"), "x");
    const SpeechCache blocked(folder.path("blocked"));
    const fs::path movieFile = folder.path("movie.mkv");
    test::WriteBytes(movieFile, "not really a movie");
    int heard = 0;
    for (int run = 0; run < 2; ++run) {
        const auto speech = SpeechThroughCache(movieFile.string(), -1, &blocked, [&] {
            ++heard;
            return std::optional<MovieSpeech>(RandomSpeech(10, 1));
        });
        EXPECT_TRUE(speech);
    }
    EXPECT_EQ(heard, 2);
}

TEST(SpeechCache, TheLeastRecentlyUsedGoFirst) {
    test::TempFolder folder;
    // Each entry: a 88-byte head and 1000 bytes of speech; three fit.
    const SpeechCache cache(folder.path("cache"), 3 * 1088 + 100);
    for (std::uint64_t k = 1; k <= 3; ++k) {
        cache.store(Movie(k), RandomSpeech(8000, 2));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(cache.find(Movie(1))); // 1 is now the most recently used
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cache.store(Movie(4), RandomSpeech(8000, 2));
    EXPECT_TRUE(cache.find(Movie(1)));
    EXPECT_FALSE(cache.find(Movie(2)));
    EXPECT_TRUE(cache.find(Movie(3)));
    EXPECT_TRUE(cache.find(Movie(4)));
}

TEST(SpeechCache, TheDetectorIsAskedOnceForOneMovie) {
    test::TempFolder folder;
    const SpeechCache cache(folder.path("cache"));
    const fs::path movie = folder.path("movie.mkv");
    test::WriteBytes(movie, "movie bytes");
    int heard = 0;
    const auto detect = [&] {
        ++heard;
        return std::optional<MovieSpeech>(RandomSpeech(500, 4));
    };
    bool cached = true;
    const auto first = SpeechThroughCache(movie.string(), -1, &cache, detect, &cached);
    EXPECT_FALSE(cached);
    const auto second = SpeechThroughCache(movie.string(), -1, &cache, detect, &cached);
    EXPECT_TRUE(cached);
    EXPECT_EQ(heard, 1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->speech.frames, second->speech.frames);
    // The window, which draws the sound's levels, hears it again when they were not kept.
    SpeechThroughCache(movie.string(), -1, &cache, detect, &cached, true);
    EXPECT_FALSE(cached);
    EXPECT_EQ(heard, 2);
    heard = 1;
    // Another stream of it, and no cache at all, are heard again.
    SpeechThroughCache(movie.string(), 1, &cache, detect);
    SpeechThroughCache(movie.string(), -1, nullptr, detect, &cached);
    EXPECT_FALSE(cached);
    EXPECT_EQ(heard, 3);

    // A cancelled or failed analysis leaves nothing behind.
    const fs::path other = folder.path("other.mkv");
    test::WriteBytes(other, "other movie");
    EXPECT_FALSE(SpeechThroughCache(other.string(), -1, &cache,
                                    [] { return std::optional<MovieSpeech>(); }));
    EXPECT_THROW(SpeechThroughCache(
                     other.string(), -1, &cache,
                     []() -> std::optional<MovieSpeech> { throw std::runtime_error("no sound"); }),
                 std::runtime_error);
    SpeechThroughCache(other.string(), -1, &cache, detect, &cached);
    EXPECT_FALSE(cached);
}

// Restores the variable it changes when it goes.
class ScopedCacheHome {
  public:
    explicit ScopedCacheHome(const fs::path& path) {
        if (const char* old = std::getenv("XDG_CACHE_HOME"))
            m_old = old;
        ::setenv("XDG_CACHE_HOME", path.c_str(), 1);
    }
    ~ScopedCacheHome() {
        if (m_old)
            ::setenv("XDG_CACHE_HOME", m_old->c_str(), 1);
        else
            ::unsetenv("XDG_CACHE_HOME");
    }
    ScopedCacheHome(const ScopedCacheHome&) = delete;
    ScopedCacheHome& operator=(const ScopedCacheHome&) = delete;

  private:
    std::optional<std::string> m_old;
};

// A SubRip text with every time a minute later (times under an hour).
std::string MinuteLate(std::string text) {
    const auto digit = [&](std::size_t p) { return p < text.size() && std::isdigit(text[p]); };
    for (std::size_t p = 0; p + 6 <= text.size(); ++p)
        if (text.compare(p, 3, "00:") == 0 && digit(p + 3) && digit(p + 4) && text[p + 5] == ':' &&
            (p == 0 || text[p - 1] == '\n' || text[p - 1] == ' ')) {
            const int minute = (text[p + 3] - '0') * 10 + (text[p + 4] - '0') + 1;
            text[p + 3] = static_cast<char>('0' + minute / 10);
            text[p + 4] = static_cast<char>('0' + minute % 10);
            p += 5;
        }
    return text;
}

TEST(SpeechCache, ASecondAutosyncOfTheMovieDoesNotHearItAgain) {
    test::TempFolder folder;
    const ScopedCacheHome home(folder.path("cache-home"));
    const std::string movie = kClips + "/dialogue.mkv";
    const std::string subtitle = folder.path("late.srt");
    test::WriteBytes(subtitle, MinuteLate(test::ReadBytes(kClips + "/dialogue.srt")));
    const auto first = test::RunCli({"autosync", subtitle, movie, "-o", folder.path("1.srt")});
    ASSERT_EQ(first.code, 0) << first.err;
    EXPECT_THAT(first.out, Not(HasSubstr("from the cache")));
    const auto second = test::RunCli({"autosync", subtitle, movie, "-o", folder.path("2.srt")});
    ASSERT_EQ(second.code, 0) << second.err;
    EXPECT_THAT(second.out, HasSubstr("speech of the movie: from the cache"));
    const std::string restored = test::ReadBytes(folder.path("1.srt"));
    EXPECT_NE(restored, test::ReadBytes(subtitle));
    EXPECT_EQ(test::ReadBytes(folder.path("2.srt")), restored);
    const auto refused = test::RunCli({"autosync", subtitle, movie, "--no-cache"});
    EXPECT_THAT(refused.out, Not(HasSubstr("from the cache")));
}

} // namespace
} // namespace velkar::autosync
