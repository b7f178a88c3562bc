// Every real file of the corpus: recognised as what it is, opened when it is a subtitle file,
// saved unchanged when nothing changed, written back unchanged by a Fix Synch whose typed times
// are the anchors' own starts, and re-timed onto the exact straight line from random anchors.
// The files are listed here, so a missing corpus or a file that stops opening fails the run.
#include "TestSupport.h"
#include "cli/RawFile.h"
#include "sync/ExactLine.h"

#include "cli/Cli.h"
#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineIo.h"
#include "document/LineTests.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/TimeCode.h"
#include "sync/FixSynch.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <regex>
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
    {"srt/subtitlesparser-got-03x05-INVALID-json.srt", sfMPL2}, // invalid as SubRip only
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
    {"mpl2/gaupol-2007-mpl2.sample.txt", sfMPL2},
    {"mpl2/gaupol-mpl2.txt", sfMPL2},
    {"mpl2/subconvert-mpl2-1.txt", sfMPL2},
    {"mpl2/subconvert-subsample.mpl2", sfMPL2},
    {"mpl2/subscreen-deer-hunter-pl-cp1250.txt", sfMPL2},
    {"mpl2/subscreen-testmpl2.txt", sfMPL2},
    {"mpl2/subtitleeditor-mpl2-89.txt", sfMPL2},
    {"mpl2/subtitleeditor-mpl2-eucjp.txt", sfMPL2},
    {"mpl2/subtitlesparser-got-03x05-crlf-microdvd-codes.txt", sfMPL2},
    {"webvtt/astisub-carriage-return-CR-only-bom.vtt", sfWebVTT},
    {"webvtt/astisub-html-entities.vtt", sfWebVTT},
    // A time without its fraction ("00:01:39 --> ...").
    {"webvtt/astisub-non-utf8-utf16le.vtt", sfDamaged},
    {"webvtt/mantasdone-styles-note.vtt", sfWebVTT},
    {"webvtt/mantasdone-without-hours.vtt", sfWebVTT},
    {"webvtt/pysubs2-vtt-example-xtimestampmap-style-region-note.vtt", sfWebVTT},
    {"webvtt/swiftsubtitles-crash13-youtube-inline-timestamps.vtt", sfWebVTT},
    {"webvtt/swiftsubtitles-upc-crlf-c-classes.vtt", sfWebVTT},
    {"webvtt/vttjs-bad-double-webvtt-INVALID.vtt", sfUnknown},
    {"webvtt/vttjs-no-space-cue-times-cue-settings.vtt", sfWebVTT},
    {"webvtt/webvttpy-captions-with-bom.vtt", sfWebVTT},
    {"webvtt/webvttpy-cue-tags-hourless.vtt", sfWebVTT},
    {"webvtt/webvttpy-invalid-timeframe-INVALID.vtt", sfDamaged},
    {"webvtt/webvttpy-metadata-headers-multiline.vtt", sfWebVTT},
    // Times past 596 hours, more than a 32-bit count of milliseconds holds: a 64-bit table.
    {"webvtt/webvttpy-sample-hls-x-timestamp-map.vtt", sfWebVTT},
    {"webvtt/webvttpy-styles2-c-classes-entities.vtt", sfWebVTT},
    {"webvtt/webvttpy-youtube-dl-inline-timestamps.vtt", sfWebVTT},
    {"webvtt/wpt-newlines-cr-lf-crlf-mixed.vtt", sfWebVTT},
    // NUL bytes are characters here; cues whose timing lines they break are faults.
    {"webvtt/wpt-nulls.vtt", sfDamaged},
    {"webvtt/wpt-regions-old-syntax.vtt", sfWebVTT},
    {"webvtt/wpt-settings-align.vtt", sfWebVTT},
    {"webvtt/wpt-signature-two-boms-INVALID.vtt", sfUnknown},
    {"webvtt/wpt-signature-websrt-INVALID.vtt", sfUnknown},
    {"webvtt/wpt-timings-60.vtt", sfWebVTT},
    {"webvtt/wpt-timings-too-short-INVALID-cues.vtt", sfDamaged},
    {"webvtt/wpt-track-cues-no-separation.vtt", sfWebVTT},
    {"webvtt/wpt-track-iso2022jp-NOT-utf8.vtt", sfWebVTT},
    {"webvtt/wpt-track-large-timestamp.vtt", sfWebVTT},
    {"webvtt/wpt-track-timestamp-paint-on.vtt", sfWebVTT},
    {"webvtt/wpt-track-voice.vtt", sfWebVTT},
    {"ass/aegisub-ass-format-tests-override-tags.ass", sfASS},
    {"ass/aegisub-format_ass-evangelion.ass", sfASS},
    {"ass/aegisub-format_ass2-v4.00++.ass", sfASS},
    {"ass/aegisub-furi-test-karaoke-ja.ass", sfASS},
    {"ass/aegisub-kara-templater-retime-comments.ass", sfASS},
    {"ass/aegisub-libssf-demo-v4-karaoke-shiftjis-fe.ssa", sfSSA},
    {"ass/astisub-carriage-return-CR-only.ssa", sfSSA},
    {"ass/astisub-example-in-garbage-lines.ssa", sfSSA},
    {"ass/gaupol-ass-negative-times.ass", sfASS},
    {"ass/gaupol-ssa-negative-times.ssa", sfSSA},
    {"ass/jellyfin-data-ssa-styles-pictures-fonts-ignored.ass", sfSSA},
    {"ass/libasstests-embedded-font-efont.ass", sfASS},
    {"ass/libasstests-kt-karaoke-v4plus-comments.ass", sfASS},
    {"ass/libasstests-shiftjis-font-crlf-nospace-headers.ass", sfASS},
    {"ass/libasstests-ssa-alpha-crlf-v4-in-ass.ass", sfSSA},
    {"ass/mantasdone-ass-comments-blank-line-undefined-style.ass", sfASS},
    {"ass/mantasdone-ass-format-start-end-style-text.ass", sfASS},
    {"ass/pysubs2-attached-fonts-utf8bom-622kb.ass", sfASS},
    {"ass/pysubs2-attached-images-graphics-utf8bom.ass", sfASS},
    {"ass/subtitleeditor-ass-eucjp.ass", sfASS},
    {"ass/swiftsubtitles-sample1-no-styles.ssa", sfSSA},
    {"ass/swiftsubtitles-time-fonts-map-4-columns.ass", sfASS},
};

// A line with every time field of MPL2, WebVTT and ASS/SSA replaced by "#".
std::string MaskTimes(std::string_view line) {
    static const std::regex kTimes(
        R"(^\[-?\d+\]\[-?\d+\]|-?\d+:\d\d:\d\d\.\d{2,3}|\d\d:\d\d\.\d{3})");
    return std::regex_replace(std::string(line), kTimes, "#");
}

// Whether the file writes times finer than its format's unit (an ASS file with milliseconds):
// typed times are rounded to the unit, so its own starts cannot be typed exactly.
bool FinerThanItsUnit(const SubtitleDocument& doc) {
    const std::int32_t unit = FindFormat(doc.SubtitleFormat)->unit;
    for (std::size_t i = 0; i < doc.SubtitleCount; ++i)
        if (doc.start(i) % unit != 0 || doc.end(i) % unit != 0)
            return true;
    return false;
}

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
    for (const char* sub : {"srt", "microdvd", "subviewer", "mpl2", "webvtt", "ass"})
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
    if (doc.start(doc.FirstAnchor) == doc.start(doc.LastAnchor)) {
        // Every subtitle at one start: no ratio can be formed either.
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err.substr(0, 32), "Invalid floating point operation");
        return;
    }
    ASSERT_EQ(run.code, 0) << run.err;
    if (FinerThanItsUnit(doc)) {
        // Typed times are rounded to the format's unit, so some times move: only they change.
        const test::RawFile before = test::SplitRawFile(test::ReadBytes(path()));
        const test::RawFile after = test::SplitRawFile(test::ReadBytes(out));
        ASSERT_EQ(after.lines.size(), before.lines.size());
        for (std::size_t line = 0; line < after.lines.size(); ++line)
            ASSERT_EQ(MaskTimes(after.ascii(line)), MaskTimes(before.ascii(line)))
                << "line " << line;
        return;
    }
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
    const std::vector<std::string> original = doc.SubtitleLines.strings();
    std::mt19937 random(static_cast<unsigned>(doc.SubtitleLines.size()));
    for (int round = 0; round < 4; ++round) {
        const auto before = doc.TimingTable;
        doc.FirstAnchor = static_cast<std::int32_t>(random() % doc.SubtitleCount);
        doc.LastAnchor = static_cast<std::int32_t>(random() % doc.SubtitleCount);
        const std::int64_t x1 = doc.start(doc.FirstAnchor);
        const std::int64_t span = doc.start(doc.LastAnchor) - x1;
        // 23.976 -> 25 frames a second, or back, and a shift of up to 2 s (50 frames).
        const std::int64_t unit = FindFormat(f)->unit;
        const std::int64_t shift = (static_cast<std::int64_t>(random() % 201) - 100) * unit;
        // Typed times have the form's own precision (a file may hold times finer than that).
        const std::int64_t y1 = RoundToUnit(x1 + shift, unit);
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
        // Only time fields changed: with every time masked, each line reads as it did.
        if (f >= sfMPL2) {
            ASSERT_EQ(doc.SubtitleLines.size(), original.size());
            for (std::size_t line = 0; line < original.size(); ++line)
                ASSERT_EQ(MaskTimes(doc.SubtitleLines[line]), MaskTimes(original[line]))
                    << "line " << line;
        }
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
        // Written straight from the lines (rewritten ones in place or moved), to a file or to a
        // stream, the file holds exactly the bytes its lines joined make.
        const std::string joined = SubtitleFileBytes(doc);
        std::ostringstream stream;
        WriteSubtitleLines(doc, stream);
        ASSERT_EQ(stream.str(), joined);
        test::TempFolder folder;
        WriteSubtitleLines(doc, folder.path("out").string());
        ASSERT_EQ(test::ReadBytes(folder.path("out")), joined);
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
