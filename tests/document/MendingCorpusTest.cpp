// Mending over every real file of the corpus: a file that players read opens or is mended, the
// mended document holds the cues ffmpeg reads at the same times, and only mended lines differ.
#include "TestSupport.h"

#include "document/LineIo.h"
#include "document/Mending.h"
#include "document/Opening.h"
#include "document/Parsing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace velkar {
namespace {

namespace fs = std::filesystem;

// Files that players read but that mending leaves refused, and why.
const std::map<std::string, std::string> kRefused = {
    {"srt/gaupol-subrip.srt", "(Line:2) negative time"},
    {"srt/gaupol-subrip-extended.srt", "(Line:2) negative time"},
    {"subviewer/gaupol-subviewer2.sub", "(Line:14) negative time"},
};

// Files whose times ffmpeg 5.1 reads otherwise than the format says: not compared with it.
const std::set<std::string> kFfmpegReadsOtherwise = {
    "ass/gaupol-ass-negative-times.ass", // negative times dropped or taken as positive
    "ass/gaupol-ssa-negative-times.ssa",
    "mpl2/gaupol-mpl2.txt",
    "webvtt/wpt-timings-60.vtt",            // minute and second fields of 60
    "webvtt/wpt-track-large-timestamp.vtt", // hours beyond 32-bit milliseconds wrap
};

// Files with time lines that ffmpeg 5.1 skips: their cues are read here, not there.
const std::set<std::string> kFfmpegSkips = {
    "srt/subtitlesparser-mentalist-3x11-fr-broken-arrows.srt", // "- >" arrows
};

// What `ffmpeg -i FILE -f srt -` reads from each file: its number of cues (cue-counts.txt, made
// by make_cue_counts.sh).
std::map<std::string, int> CueCounts() {
    std::map<std::string, int> counts;
    std::ifstream in(VELKAR_MEND_DATA_DIR "/cue-counts.txt");
    std::string name;
    int count;
    while (in >> name) {
        if (name[0] == '#') {
            std::getline(in, name);
            continue;
        }
        if (in >> count)
            counts[name] = count;
    }
    return counts;
}

using Cue = std::pair<std::int64_t, std::int64_t>; // start, end in milliseconds

// The cues ffmpeg reads from `path`, ordered by start (text taken as ISO-8859-1, so that no cue
// is dropped for its characters); nothing when ffmpeg cannot be run.
std::optional<std::vector<Cue>> FfmpegCues(const fs::path& path) {
    const std::string command = "ffmpeg -nostdin -v quiet -sub_charenc ISO-8859-1 -i '" +
                                path.string() + "' -f srt - 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::vector<Cue> cues;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        int h1, m1, s1, ms1, h2, m2, s2, ms2;
        if (std::sscanf(line, "%d:%d:%d,%d --> %d:%d:%d,%d", &h1, &m1, &s1, &ms1, &h2, &m2, &s2,
                        &ms2) == 8)
            cues.push_back({((h1 * 60LL + m1) * 60 + s1) * 1000 + ms1,
                            ((h2 * 60LL + m2) * 60 + s2) * 1000 + ms2});
    }
    if (::pclose(pipe) != 0 && cues.empty())
        return std::nullopt;
    return cues;
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> files;
    const fs::path folder = test::CorpusFolder();
    if (folder.empty())
        return files;
    for (const char* sub : {"srt", "microdvd", "subviewer", "ass", "webvtt", "mpl2"})
        for (const auto& entry : fs::directory_iterator(folder / sub))
            files.push_back(std::string(sub) + "/" + entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

class MendingCorpus : public testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (test::CorpusFolder().empty())
            GTEST_SKIP() << "corpus folder not found";
    }
    fs::path path() const { return test::CorpusFolder() / GetParam(); }
};

// Every cue ffmpeg reads from the file is in the document at the same times (the document may
// hold more: ASS comments, cues without text).
void ExpectFfmpegCues(const SubtitleDocument& doc, const fs::path& path, const std::string& name) {
    if (kFfmpegReadsOtherwise.contains(name))
        return;
    const auto cues = FfmpegCues(path);
    if (!cues)
        GTEST_SKIP() << "ffmpeg not found";
    std::vector<Cue> ours;
    for (std::size_t i = 0; i < doc.SubtitleCount; ++i)
        ours.push_back({doc.start(i), doc.end(i)});
    std::vector<Cue> theirs = *cues;
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    // ffmpeg shows cues of the same start and end once, which the document keeps as the file
    // has them; and it skips time lines with some arrows.
    ours.erase(std::unique(ours.begin(), ours.end()), ours.end());
    theirs.erase(std::unique(theirs.begin(), theirs.end()), theirs.end());
    EXPECT_TRUE(std::includes(ours.begin(), ours.end(), theirs.begin(), theirs.end()));
    if (doc.SubtitleFormat < sfMPL2 && !kFfmpegSkips.contains(name)) {
        EXPECT_EQ(ours, theirs);
    }
}

TEST_P(MendingCorpus, PlayableFilesOpenOrAreMendedWithTheirCuesAndOnlyMendedLinesDiffer) {
    SubtitleDocument doc;
    NoProgress progress;
    ReadDocument(doc, path().string());
    const LineStore original = doc.SubtitleLines;
    Recognise(doc, progress);
    const Mending mending = MendLines(original);
    const auto counts = CueCounts();
    const auto count = counts.find(GetParam());
    ASSERT_NE(count, counts.end()) << "new corpus file: run make_cue_counts.sh";
    const bool playable = count->second > 0 && GetParam().find("INVALID") == std::string::npos;
    if (HasTimingTable(doc.SubtitleFormat)) {
        // A file that opens as it is is never touched.
        EXPECT_FALSE(mending.mended());
        EXPECT_TRUE(mending.entries.empty());
        EXPECT_TRUE(mending.fault.empty());
        // The formats that announce themselves hold every cue players read.
        if (doc.SubtitleFormat >= sfMPL2 && playable) {
            FinishOpen(doc, progress);
            ExpectFfmpegCues(doc, path(), GetParam());
        }
        return;
    }
    if (const auto refused = kRefused.find(GetParam()); refused != kRefused.end()) {
        EXPECT_FALSE(mending.mended());
        EXPECT_EQ(mending.fault, refused->second);
        return;
    }
    if (!mending.mended()) {
        EXPECT_FALSE(playable) << "a file players read is refused: " << mending.fault;
        EXPECT_FALSE(mending.fault.empty());
        return;
    }

    // Every line not listed as mended is one of the file's, in order, with its bytes and line end.
    ASSERT_EQ(mending.kept.size(), mending.lines.size());
    std::size_t previous = 0;
    bool first = true;
    for (std::size_t i = 0; i < mending.lines.size(); ++i) {
        const std::size_t source = mending.kept[i];
        if (source == kMendedLine)
            continue;
        ASSERT_TRUE(first || source > previous) << "line " << i;
        first = false;
        previous = source;
        ASSERT_EQ(mending.lines[i], original[source]) << "line " << i;
        if (i + 1 < mending.lines.size()) {
            ASSERT_EQ(mending.lines.lineBreak(i), original.lineBreak(source)) << "line " << i;
        }
    }

    // The mended document opens as its format, and mending it again finds nothing.
    ApplyMending(doc, mending, progress);
    ASSERT_EQ(doc.SubtitleFormat, mending.format);
    FinishOpen(doc, progress);
    const Mending again = MendLines(doc.SubtitleLines);
    EXPECT_FALSE(again.mended());
    EXPECT_TRUE(again.fault.empty());

    // Its cues are the ones players read (MicroDVD frames need a frame rate: not compared).
    if (!playable || doc.SubtitleFormat == sfMicroDVD)
        return;
    ExpectFfmpegCues(doc, path(), GetParam());
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(MendingCorpus);
INSTANTIATE_TEST_SUITE_P(Corpus, MendingCorpus, testing::ValuesIn(CorpusFiles()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name;
                             for (char c : info.param)
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

} // namespace
} // namespace velkar
