#include "app/FileKind.h"

#include "document/Detection.h"
#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/Parsing.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace velkar {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class FileKind : public testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("velkar-filekind-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string write(const std::string& name, const std::string& bytes) const {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    std::string path(const std::string& name) const { return (m_folder / name).string(); }

  private:
    fs::path m_folder;
};

const std::string kSubRip = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n";
const std::string kMicroDvd = "{10}{20}Hello|there\n{30}{40}Again\n";

TEST_F(FileKind, TheExtensionsOfSubtitleFilesDecideWithoutReading) {
    // Missing files: only the name can tell.
    for (const char* name : {"film.srt", "film.SUB", "notes.Txt", "a.b.srt"})
        EXPECT_TRUE(IsSubtitleFile(path(name))) << name;
    for (const char* name : {"film.mkv", "film", "film.srt.avi", "srt"})
        EXPECT_FALSE(IsSubtitleFile(path(name))) << name;
    // A dot in a folder's name is no extension.
    EXPECT_FALSE(IsSubtitleFile(path("x.srt") + "/film"));
}

TEST_F(FileKind, AnyOtherNameIsReadAndRecognised) {
    EXPECT_TRUE(IsSubtitleFile(write("subrip.dat", kSubRip)));
    EXPECT_TRUE(IsSubtitleFile(write("microdvd", kMicroDvd)));
    EXPECT_TRUE(IsSubtitleFile(write("bom.data", std::string(kUtf8ByteOrderMark) + kSubRip)));
    EXPECT_FALSE(IsSubtitleFile(write("prose.dat", "Just a line of prose.\nAnother one.\n")));
    EXPECT_FALSE(IsSubtitleFile(write("empty.dat", "")));
    EXPECT_FALSE(IsSubtitleFile(write("binary.mkv", std::string("\x1A\x45\xDF\xA3\0\0\x01", 7))));
    // NUL bytes padding the end of a text are no sign of a movie.
    EXPECT_TRUE(IsSubtitleFile(write("padded.dat", kSubRip + std::string(16, '\0'))));
    EXPECT_FALSE(
        IsSubtitleFile(write("nul.dat", "1\r\n00:00:01,000 --> 00:00:02,000\r\nA\0B\r\n"s)));
    // WebVTT takes NUL bytes as characters.
    EXPECT_TRUE(IsSubtitleFile(write("nul.data", "WEBVTT\n\n00:01.000 --> 00:02.000\nA\0B\n"s)));
}

TEST_F(FileKind, OnlyTheStartOfALongFileIsRead) {
    // Whole subtitles up to past the window, then bytes no format takes: still a subtitle.
    std::string text;
    for (int i = 0; text.size() < kSubtitleSniffBytes + 100; ++i)
        text += "{" + std::to_string(10 * i) + "}{" + std::to_string(10 * i + 5) + "}Line\n";
    EXPECT_TRUE(IsSubtitleFile(write("long.bin", text + std::string(1000, '\x01'))));
    // A single line longer than the window has no whole line to recognise.
    EXPECT_FALSE(IsSubtitleFile(write("oneline.bin", std::string(kSubtitleSniffBytes + 1, 'x'))));
}

TEST_F(FileKind, FoldersAndFifosAreMoviesAndNeverWaitedOn) {
    fs::create_directories(path("folder"));
    EXPECT_FALSE(IsSubtitleFile(path("folder")));
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(IsSubtitleFile(path("pipe"))); // returns at once: nobody writes to it
}

// Every subtitle file of the corpus, under a name that tells nothing, is told apart as the
// whole file is recognised; the AVI files are movies.
TEST_F(FileKind, CorpusFilesAreToldApartAsTheirWholeTextIsRecognised) {
    const fs::path corpus = VELKAR_CORPUS_DIR;
    if (!fs::is_directory(corpus))
        GTEST_SKIP() << "corpus missing";
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        if (!entry.is_regular_file() || entry.path().filename() == "SOURCES.md")
            continue;
        const std::string bytes = ReadWholeFile(entry.path().string());
        const std::string copy = write("nameless", bytes);
        bool recognised = false;
        if (entry.path().parent_path().filename() != "avi") {
            SubtitleDocument doc;
            try {
                ReadSubtitleLines(doc, entry.path().string());
            } catch (const VelkarError&) {
                // A file refused on reading (NUL bytes inside) is no subtitle file either.
                EXPECT_FALSE(IsSubtitleFile(copy)) << entry.path();
                ++files;
                continue;
            }
            NoProgress progress;
            doc.SubtitleFormat = DetectFormat(doc, progress).format;
            if (HasTimingTable(doc.SubtitleFormat)) {
                ParseSubtitles(doc, progress, nullptr, SubtitleTextsWanted::No);
                recognised = doc.SubtitleCount > 0;
            }
            recognised = recognised || doc.SubtitleFormat == sfDamaged;
        }
        EXPECT_EQ(IsSubtitleFile(copy), recognised) << entry.path();
        ++files;
    }
    EXPECT_GT(files, 10);
}

struct HandedCase {
    std::vector<std::string> names;
    std::string subtitle;
    std::string movie;
};

class SortingHandedFiles : public FileKind, public testing::WithParamInterface<HandedCase> {};

TEST_P(SortingHandedFiles, TakesTheFirstOfEachKind) {
    const HandedCase& c = GetParam();
    std::vector<std::string> paths;
    for (const std::string& name : c.names)
        paths.push_back(path(name));
    const HandedFiles files = SortHandedFiles(paths);
    EXPECT_EQ(files.subtitle, c.subtitle.empty() ? "" : path(c.subtitle));
    EXPECT_EQ(files.movie, c.movie.empty() ? "" : path(c.movie));
}

INSTANTIATE_TEST_SUITE_P(
    FileKind, SortingHandedFiles,
    testing::Values(HandedCase{{}, "", ""}, HandedCase{{"a.srt"}, "a.srt", ""},
                    HandedCase{{"a.mkv"}, "", "a.mkv"},
                    HandedCase{{"a.srt", "a.mkv"}, "a.srt", "a.mkv"},
                    HandedCase{{"a.mkv", "a.srt"}, "a.srt", "a.mkv"},
                    // Two of a kind: the order SUBTITLE MOVIE.
                    HandedCase{{"b.srt", "a.sub"}, "b.srt", "a.sub"},
                    HandedCase{{"b.avi", "a.mkv"}, "b.avi", "a.mkv"},
                    // A drop of many: the first of each kind.
                    HandedCase{{"a.mkv", "b.mkv", "c.sub", "d.srt"}, "c.sub", "a.mkv"}));

} // namespace
} // namespace velkar
