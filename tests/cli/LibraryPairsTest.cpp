// Which subtitle files of a made-up library go with which movie, and the shares of the pairs
// that several machines take.

#include "cli/LibraryPairs.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

namespace velkar::cli {
namespace {

struct Tree {
    const char* name;
    std::vector<std::string> files;
    std::vector<LibraryPair> pairs; // in any order
    std::vector<std::string> ambiguous;
};

class Pairing : public testing::TestWithParam<Tree> {};

TEST_P(Pairing, OfAMadeUpTree) {
    const Tree& tree = GetParam();
    // The order the files are listed in does not matter.
    std::vector<std::string> files = tree.files;
    std::mt19937 random(3);
    for (int round = 0; round < 3; ++round) {
        const LibraryPairing got = PairLibrary(files);
        std::vector<LibraryPair> want = tree.pairs;
        std::sort(want.begin(), want.end(), [](const auto& a, const auto& b) {
            return a.movie != b.movie ? a.movie < b.movie : a.subtitle < b.subtitle;
        });
        EXPECT_EQ(got.pairs, want);
        std::vector<std::string> ambiguous;
        for (const AmbiguousSubtitle& a : got.ambiguous) {
            ambiguous.push_back(a.subtitle);
            EXPECT_GE(a.movies.size(), 2u);
        }
        EXPECT_EQ(ambiguous, tree.ambiguous);
        std::shuffle(files.begin(), files.end(), random);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Pairing,
    testing::Values(
        Tree{"TagsAndFormats",
             {"lib/Film.mkv", "lib/Film.srt", "lib/Film.en.srt", "lib/Film.pt-BR.forced.srt",
              "lib/Film.sdh.sub", "lib/Film.fr.vtt", "lib/Film.ass", "lib/Film.nfo", "lib/Film.jpg",
              "lib/Other.srt", "lib/Filmography.srt"},
             {{"lib/Film.mkv", "lib/Film.srt"},
              {"lib/Film.mkv", "lib/Film.en.srt"},
              {"lib/Film.mkv", "lib/Film.pt-BR.forced.srt"},
              {"lib/Film.mkv", "lib/Film.sdh.sub"},
              {"lib/Film.mkv", "lib/Film.fr.vtt"},
              {"lib/Film.mkv", "lib/Film.ass"}},
             {}},
        Tree{"CaseIgnored",
             {"a/THE FILM.MP4", "a/the film.EN.SRT", "a/The Film.Srt"},
             {{"a/THE FILM.MP4", "a/the film.EN.SRT"}, {"a/THE FILM.MP4", "a/The Film.Srt"}},
             {}},
        Tree{"EveryMovieExtension",
             {"m/a.mkv", "m/a.srt", "m/b.mp4", "m/b.srt",  "m/c.m4v",  "m/c.srt", "m/d.avi",
              "m/d.srt", "m/e.mov", "m/e.srt", "m/f.webm", "m/f.srt",  "m/g.ts",  "m/g.srt",
              "m/h.mpg", "m/h.srt", "m/i.wmv", "m/i.srt",  "m/j.flac", "m/j.srt"},
             {{"m/a.mkv", "m/a.srt"},
              {"m/b.mp4", "m/b.srt"},
              {"m/c.m4v", "m/c.srt"},
              {"m/d.avi", "m/d.srt"},
              {"m/e.mov", "m/e.srt"},
              {"m/f.webm", "m/f.srt"},
              {"m/g.ts", "m/g.srt"},
              {"m/h.mpg", "m/h.srt"},
              {"m/i.wmv", "m/i.srt"}},
             {}},
        Tree{"SubsFolders",
             {"x/Film.mkv", "x/Subs/Film.en.srt", "x/subtitles/Film.de.srt", "x/Extras/Film.it.srt",
              "x/Subs/Deeper/Film.es.srt", "y/Subs/Film.srt"},
             {{"x/Film.mkv", "x/Subs/Film.en.srt"}, {"x/Film.mkv", "x/subtitles/Film.de.srt"}},
             {}},
        Tree{"OriginalsHiddenAndCopiesNeverInputs",
             {"z/Film.mkv", "z/Film.en.srt", "z/Film.en.orig.srt", "z/Film.synced.srt",
              "z/Film.EN.ORIG.SRT", "z/.Film.srt", "z/.velkar-save-1-abc"},
             {{"z/Film.mkv", "z/Film.en.srt"}},
             {}},
        Tree{"TwoMoviesOneName",
             {"d/Film.mkv", "d/Film.mp4", "d/Film.srt", "d/Film.Part2.mkv", "d/Film.Part2.en.srt",
              "d/Other.avi", "d/Other.srt"},
             {{"d/Other.avi", "d/Other.srt"}},
             {"d/Film.Part2.en.srt", "d/Film.srt"}},
        Tree{"MovieAndSubsBesideAndInSubs",
             {"Film.mkv", "Film.srt", "Subs/Film.srt", "SUBS/Film.fr.srt"},
             {{"Film.mkv", "Film.srt"},
              {"Film.mkv", "Subs/Film.srt"},
              {"Film.mkv", "SUBS/Film.fr.srt"}},
             {}},
        Tree{"NothingToPair", {"a/b.srt", "a/b.txt", "c.mkv"}, {}, {}}),
    [](const testing::TestParamInfo<Tree>& info) { return std::string(info.param.name); });

TEST(LibraryShards, TogetherEveryPairOnceAndAMovieInOneShard) {
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        std::vector<LibraryPair> pairs;
        const int movies = std::uniform_int_distribution<int>(0, 30)(random);
        for (int m = 0; m < movies; ++m) {
            const int subtitles = std::uniform_int_distribution<int>(1, 5)(random);
            for (int s = 0; s < subtitles; ++s)
                pairs.push_back({"m" + std::to_string(100 + m), "s" + std::to_string(s)});
        }
        const std::size_t count = std::uniform_int_distribution<std::size_t>(1, 9)(random);
        std::vector<LibraryPair> joined;
        std::map<std::string, std::size_t> shardOfMovie;
        for (std::size_t k = 0; k < count; ++k) {
            const auto shard = ShardOf(pairs, k, count);
            // About an even share: a shard overshoots by less than a movie's pairs.
            EXPECT_LE(shard.size(), pairs.size() / count + 1 + 5);
            for (const LibraryPair& p : shard) {
                const auto [at, fresh] = shardOfMovie.emplace(p.movie, k);
                EXPECT_EQ(at->second, k) << p.movie << " split between shards";
            }
            joined.insert(joined.end(), shard.begin(), shard.end());
        }
        EXPECT_EQ(joined, pairs);
    }
    EXPECT_TRUE(ShardOf({}, 0, 3).empty());
}

} // namespace
} // namespace velkar::cli
