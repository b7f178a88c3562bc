// Every real file of the corpus: recognised as what it is, opened when it is a subtitle file,
// saved unchanged when nothing changed, written back unchanged by a Fix Synch whose typed times
// are the anchors' own starts, and re-timed onto the exact straight line from random anchors.
// The files are listed here, so a missing corpus or a file that stops opening fails the run.
#include "TestSupport.h"
#include "cli/RawFile.h"
#include "sync/ExactLine.h"

#include "cli/Cli.h"
#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/LineTests.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/TimeCode.h"
#include "sync/FixSynch.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

namespace velkar {
namespace {

namespace fs = std::filesystem;

// What each file is, judged by its lines alone. Files that break the strict block layout are
// Damaged when some check got past their first line, Unknown otherwise.
const std::map<std::string, SubtitleFormat> kExpected = {
    {"srt/aegisub-U+200F-rtl-mark-before-index.srt", sfUnknown},
    {"srt/aegisub-U+FEFF-plus-invisible-chars-stacked.srt", sfUnknown},
    {"srt/aegisub-format_srt.srt", sfSubRip},
    {"srt/cdown-srt-gb2312.srt", sfSubRip},
    {"srt/charsetnormalizer-sample.1.gr-cp1253-crlf.srt", sfDamaged},
    {"srt/charsetnormalizer-sample.1.he-cp1255-crlf.srt", sfSubRip},
    {"srt/charsetnormalizer-sample.1.ru-cp1251-crlf.srt", sfDamaged},
    {"srt/gaupol-2008-subrip.sample.srt", sfSubRip},
    {"srt/gaupol-subrip-extended.srt", sfDamaged},
    {"srt/gaupol-subrip.srt", sfDamaged},
    {"srt/gnomesubtitles-cc-mayer-bettle-cp1252-crlf.srt", sfSubRip},
    {"srt/gnomesubtitles-sample-utf8bom-misnested-tags.srt", sfSubRip},
    // UTF-16, read as its text; one time line is malformed ("00:00:0,000").
    {"srt/mantasdone-utf16le-crlf-arabic.srt", sfDamaged},
    {"srt/mpv-sub-no-blank-separators.srt", sfSubRip},
    {"srt/pysrt-bom-utf-16-le.srt", sfSubRip},
    {"srt/pysrt-bom-utf-8.srt", sfSubRip},
    {"srt/pysrt-capability_tester.srt", sfSubRip},
    {"srt/pysrt-empty.srt", sfDamaged},
    {"srt/pysrt-invalid.srt", sfDamaged},
    {"srt/pysrt-no-indexes.srt", sfUnknown},
    {"srt/pysrt-overlapping-dialogues.srt", sfDamaged},
    {"srt/pysrt-utf-8.srt", sfSubRip},
    {"srt/pysrt-windows-1252.srt", sfSubRip},
    {"srt/rubysrt-broken-sequence.srt", sfSubRip},
    {"srt/rubysrt-coordinates-dummy.srt", sfSubRip},
    {"srt/rubysrt-invalid.srt", sfUnknown},
    {"srt/rubysrt-unexpected-blanks.srt", sfDamaged}, // a stray text line ends it
    {"srt/rubysrt-wotw-dubious-es-latin1-crlf.srt", sfSubRip},
    {"srt/subtitlejs-hunger-games-1-vi-crlf-utf8.srt", sfDamaged},
    {"srt/subtitlejs-la-la-land-crlf-latin1.srt", sfDamaged},
    {"srt/subtitlejs-wonder-woman-crlf-utf8bom.srt", sfSubRip},
    {"srt/subtitlesparser-20140115-204540-missing-first-index.srt", sfUnknown},
    {"srt/subtitlesparser-20140116-103727-zh-en-utf8.srt", sfDamaged},
    {"srt/subtitlesparser-20140116-121030-pt-utf8.srt", sfDamaged},
    {"srt/subtitlesparser-4989-es-latin1.srt", sfSubRip},
    {"srt/subtitlesparser-children-of-men-dot-millis.srt", sfDamaged},
    {"srt/subtitlesparser-fight-club-eng-SRT-CONTENT.sub", sfSubRip},
    {"srt/subtitlesparser-got-03x05-INVALID-json.srt", sfUnknown}, // MPL2
    {"srt/subtitlesparser-jack-the-giant-slayer-INVALID-html.srt", sfUnknown},
    {"srt/subtitlesparser-mentalist-3x11-fr-broken-arrows.srt", sfDamaged},
    {"srt/subtitlesparser-remember-the-titans-2506-subs.srt", sfSubRip},
    {"srt/subtitlesparser-salvage-ar-cp1256.SRT", sfSubRip},
    {"srt/subtitlesparser-wiedzmin-hu-latin2.srt", sfSubRip},
    {"srt/swiftsubtitles-26-transcript-long-lines.srt", sfSubRip},
    {"srt/swiftsubtitles-zorro-crlf-utf8bom-bad-tags.srt", sfDamaged},
    {"microdvd/aegisub-format_microdvd-29.97fps.sub", sfMicroDVD},
    {"microdvd/gaupol-2008-microdvd.sample.sub", sfMicroDVD},
    {"microdvd/gaupol-microdvd.sub", sfMicroDVD},
    {"microdvd/gnomesubtitles-sample-utf8bom-25fps.sub", sfMicroDVD},
    {"microdvd/mantasdone-microdvd-with-styles-no-eol.sub", sfMicroDVD},
    {"microdvd/subsrt-sample-ms-scaled-frames.sub", sfMicroDVD},
    {"microdvd/subtitleit-pulpfiction-utf8.sub", sfMicroDVD},
    {"microdvd/subtitlesparser-20140115-194321-negative-frames-fr.sub", sfMicroDVD},
    {"microdvd/subtitlesparser-20140116-122022-http-header.sub", sfUnknown},
    {"microdvd/subtitlesparser-20140116-152304-pl-cp1250.sub", sfMicroDVD},
    {"microdvd/subtitlesparser-20140117-235243-fr-cp1252.sub", sfMicroDVD},
    {"microdvd/subtitlesparser-20140118-173751-http-header-utf8-fi.sub", sfUnknown},
    {"microdvd/subtitlesparser-20140120-074450-NOT-microdvd-mpl2.txt", sfUnknown},
    {"microdvd/subtitlesparser-freaks-fr-cp1252.sub", sfMicroDVD},
    {"microdvd/subtitlesparser-gangs-of-new-york-12.5fps.sub", sfMicroDVD},
    {"microdvd/subtitlesparser-pirates-cd1-29.97fps.sub", sfMicroDVD},
    {"microdvd/swiftsubtitles-97620-sk-cp1250-crlf-fps-1-20.sub", sfMicroDVD},
    {"subviewer/gaupol-2008-subviewer2.sample.sub", sfDamaged},
    {"subviewer/gaupol-subviewer2.sub", sfDamaged},
    {"subviewer/mantasdone-subviewer-no-header-no-eol.sub", sfUnknown},
    {"subviewer/mantasdone-subviewer-with-headers-utf8bom.sub", sfSubViewer2},
    {"subviewer/subtitlesparser-20140119-151331-maverick-fr.sub", sfDamaged},
    {"subviewer/subtitlesparser-battlestar-galactica-s03e09.sub", sfSubViewer2},
};

// The files of the table; with `opening`, only those whose format has a timing table.
std::vector<std::string> TableFiles(bool opening) {
    std::vector<std::string> files;
    for (const auto& [file, format] : kExpected)
        if (!opening || HasTimingTable(format))
            files.push_back(file);
    return files;
}

TEST(Corpus, HoldsExactlyTheFilesOfTheTable) {
    const fs::path folder = test::CorpusFolder();
    ASSERT_FALSE(folder.empty()) << "corpus folder not found: " << VELKAR_CORPUS_DIR;
    std::vector<std::string> found;
    for (const char* sub : {"srt", "microdvd", "subviewer"})
        for (const auto& entry : fs::directory_iterator(folder / sub))
            found.push_back(std::string(sub) + "/" + entry.path().filename().string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, TableFiles(false)) << "a new corpus file: add it to the table";
}

class CorpusFile : public testing::TestWithParam<std::string> {
  protected:
    std::string path() const { return std::string(VELKAR_CORPUS_DIR) + "/" + GetParam(); }
};

// A file whose format has a timing table, opened as the program opens it.
class OpenedCorpusFile : public CorpusFile {
  protected:
    void SetUp() override {
        ReadDocument(doc, path());
        Recognise(doc, progress);
        ASSERT_EQ(doc.SubtitleFormat, kExpected.at(GetParam()));
        ASSERT_NO_THROW(FinishOpen(doc, progress));
        ASSERT_GT(doc.SubtitleCount, 0);
    }
    SubtitleDocument doc;
    NoProgress progress;
};

TEST_P(CorpusFile, IsRecognisedAsWhatItIs) {
    const SubtitleFormat expected = kExpected.at(GetParam());
    SubtitleDocument doc;
    NoProgress progress;
    ReadDocument(doc, path());
    EXPECT_EQ(Recognise(doc, progress).format, expected);
    // A subtitle file opens (OpenedCorpusFile); any other file's parse either builds a table
    // inside the arrays or stops with a message.
    if (HasTimingTable(expected))
        return;
    try {
        ParseSubtitles(doc, progress);
        EXPECT_LE(doc.SubtitleCount, doc.SubtitleLines.size());
    } catch (const VelkarError&) {
    }
}

TEST_P(OpenedCorpusFile, SyncOnItsOwnStartsWritesTheSameLines) {
    const SubtitleFormat f = doc.SubtitleFormat;
    const std::string first = TimeToText(f, doc.start(doc.FirstAnchor));
    const std::string last = TimeToText(f, doc.start(doc.LastAnchor));
    test::TempFolder folder;
    const std::string out = folder.path("out").string();
    const test::CliResult run =
        test::RunCli({"sync", path(), "--first", first, "--last", last, "-o", out});
    if (doc.FirstAnchor == doc.LastAnchor) {
        // One subtitle: both spans are 0, so no ratio can be formed.
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err, "Invalid floating point operation\nThe first and the last anchor "
                           "are the same subtitle (1): pick two subtitles far apart. The two "
                           "true times are equal too.\n");
        return;
    }
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 18), "Already in place; ");

    // Nothing moves, so nothing is rewritten: line by line in the file's own encoding, the same
    // mark, the same bytes and the same line ends.
    const test::RawFile before = test::SplitRawFile(test::ReadBytes(path()));
    const test::RawFile after = test::SplitRawFile(test::ReadBytes(out));
    EXPECT_EQ(after.mark, before.mark);
    ASSERT_EQ(after.lines.size(), before.lines.size());
    for (std::size_t line = 0; line < after.lines.size(); ++line) {
        ASSERT_EQ(after.lines[line].end, before.lines[line].end) << "line " << line;
        ASSERT_EQ(after.lines[line].bytes, before.lines[line].bytes) << "line " << line;
    }
}

TEST_P(OpenedCorpusFile, RandomAnchorsLandOnTheExactLine) {
    const SubtitleFormat f = doc.SubtitleFormat;
    std::mt19937 random(static_cast<unsigned>(doc.SubtitleLines.size()));
    for (int round = 0; round < 4; ++round) {
        const auto before = doc.TimingTable;
        doc.FirstAnchor = static_cast<std::int32_t>(random() % doc.SubtitleCount);
        doc.LastAnchor = static_cast<std::int32_t>(random() % doc.SubtitleCount);
        const std::int64_t x1 = doc.start(doc.FirstAnchor);
        const std::int64_t span = doc.start(doc.LastAnchor) - x1;
        // 23.976 -> 25 frames a second, or back, and a shift of up to 2 s (50 frames).
        const std::int64_t unit = f == sfSubViewer2 ? 10 : 1;
        const std::int64_t shift = (static_cast<std::int64_t>(random() % 201) - 100) * unit;
        const std::int64_t y1 = x1 + shift;
        const std::int64_t typedSpan = round % 2 == 0 ? span * 25000 / 23976 : span * 23976 / 25000;
        if (span == 0 || typedSpan == span || !CanEncode(f, std::int32_t(y1)) ||
            !CanEncode(f, std::int32_t(y1 + typedSpan / unit * unit)))
            continue;
        const std::int64_t yL = y1 + typedSpan / unit * unit;
        try {
            FixSynch(doc, TimeToText(f, std::int32_t(y1)), TimeToText(f, std::int32_t(yL)), 5,
                     progress);
        } catch (const TimeEncodeError&) {
            EXPECT_EQ(doc.TimingTable, before); // a time pushed out of the day
            continue;
        }
        for (int row = 0; row < 2; ++row)
            for (std::size_t i = 0; i < doc.SubtitleCount; ++i)
                ASSERT_TRUE(test::OnTheLine(before[row][i], doc.TimingTable[row][i], x1, y1,
                                            yL - y1, span, unit));
        // The lines read back as the new table.
        SubtitleDocument reread;
        reread.SubtitleLines = doc.SubtitleLines;
        Recognise(reread, progress);
        FinishOpen(reread, progress);
        ASSERT_EQ(reread.SubtitleCount, doc.SubtitleCount);
        for (std::size_t i = 0; i < doc.SubtitleCount; ++i) {
            ASSERT_EQ(reread.start(i), doc.start(i));
            ASSERT_EQ(reread.end(i), doc.end(i));
        }
    }
}

TEST_P(CorpusFile, OpenedAndSavedWithoutAChangeKeepsEveryByte) {
    SubtitleDocument doc;
    NoProgress progress;
    ReadDocument(doc, path());
    Recognise(doc, progress);
    if (HasTimingTable(kExpected.at(GetParam()))) {
        ASSERT_NO_THROW(FinishOpen(doc, progress));
    }
    test::TempFolder folder;
    WriteSubtitleLines(doc, folder.path("out").string());
    EXPECT_EQ(test::ReadBytes(folder.path("out")), test::ReadBytes(path()));
}

std::string Name(const testing::TestParamInfo<std::string>& info) {
    std::string name;
    for (char c : info.param)
        name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Files, CorpusFile, testing::ValuesIn(TableFiles(false)), Name);
INSTANTIATE_TEST_SUITE_P(Files, OpenedCorpusFile, testing::ValuesIn(TableFiles(true)), Name);

} // namespace
} // namespace velkar
