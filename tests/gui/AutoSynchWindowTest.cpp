// "Auto Synch" on a minute of dialogue made at test time (tests/autosync/make_clips.sh): the
// anchors' true starts come from the movie's sound into the time fields, the player goes to
// the first, and the result row gives the verdict; another film's sound fills nothing; a second
// press cancels.

#include "ClipWindowTest.h"

#include "document/Opening.h"
#include "document/Progress.h"
#include "document/TimeCode.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <cstdlib>

namespace velkar::gui::test {
namespace {

const std::string kClips = VELKAR_AUTOSYNC_CLIPS_DIR;

// The true starts and ends of the dialogue's twelve lines, in ms.
std::vector<std::pair<long, long>> Truth() {
    velkar::SubtitleDocument doc;
    velkar::NoProgress progress;
    velkar::ReadDocument(doc, kClips + "/dialogue.srt");
    velkar::Recognise(doc, progress);
    velkar::FinishOpen(doc, progress);
    std::vector<std::pair<long, long>> spans;
    for (std::size_t i = 0; i < doc.SubtitleCount; ++i)
        spans.push_back({doc.start(i), doc.end(i)});
    return spans;
}

std::string Clock(long ms, char separator) {
    char text[64];
    std::snprintf(text, sizeof text, "00:%02ld:%02ld%c%03ld", ms / 60000, ms / 1000 % 60, separator,
                  ms % 1000);
    return text;
}

// The dialogue as a SubRip or MicroDVD (25 fps) file, every time 3.2 s late; with `cut`, the
// lines from the seventh on `cut` ms later still (a film cut short there).
std::string Late(bool microDvd, long cut = 0) {
    std::string file;
    int k = 0;
    for (auto [s, e] : Truth()) {
        const long late = 3200 + (k >= 6 ? cut : 0);
        s += late;
        e += late;
        if (microDvd)
            file += "{" + std::to_string(std::lround(s * 0.025)) + "}{" +
                    std::to_string(std::lround(e * 0.025)) + "}Line\r\n";
        else
            file += std::to_string(++k) + "\r\n" + Clock(s, ',') + " --> " + Clock(e, ',') +
                    "\r\nLine\r\n\r\n";
    }
    return file;
}

class AutoSynchButton : public ClipWindowTest {
  protected:
    // Opens the movie; false only when libmpv cannot start on this machine. With a subtitle
    // file and a movie open the button must come on (it follows the window's state on its
    // own timer).
    bool openMovie(const std::string& name) {
        if (!openClip(name))
            return false;
        EXPECT_TRUE(QTest::qWaitFor([&] { return form().cmdAutoSynch->isEnabled(); }, 5000))
            << "Auto Synch stays off with a subtitle file and a movie open";
        return true;
    }
    // Presses the button and waits until the run has ended.
    void press() {
        form().cmdAutoSynch->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return form().cmdAutoSynch->text() == QStringLiteral("Auto Synch"); }, 30000));
    }
};

// A movie with an English sound stream (flagged default) and a French one, the dialogue:
// French subtitles listen to the French one, and the user may choose the other.
TEST_F(AutoSynchButton, ListensToTheSoundStreamOfTheSubtitlesLanguageOrTheOneChosen) {
    openBytes(Late(false), QStringLiteral("late.fr.srt"));
    if (!openMovie("two-languages.mkv"))
        GTEST_SKIP() << "libmpv cannot start here";
    ASSERT_FALSE(HasFailure());
    QComboBox& streams = *form().cboSoundStream;
    EXPECT_FALSE(streams.isHidden());
    ASSERT_EQ(streams.count(), 2);
    EXPECT_EQ(streams.itemText(0), QStringLiteral("1: eng (flac)"));
    EXPECT_EQ(streams.itemText(1), QStringLiteral("2: fre (flac)"));
    EXPECT_EQ(streams.currentData().toInt(), 2);
    press();
    EXPECT_TRUE(form().lblResult->text().startsWith(
        QStringLiteral("Auto Synch on sound stream 2: fre (flac): sure.")))
        << form().lblResult->text().toStdString();
    const double first =
        TextToTime(form().document().SubtitleFormat, form().txtFirst->fieldText().toStdString());
    EXPECT_NEAR(first, double(Truth().front().first), 150.0);
    streams.setCurrentIndex(0);
    press();
    EXPECT_TRUE(form().lblResult->text().startsWith(
        QStringLiteral("Auto Synch on sound stream 1: eng (flac): none;")))
        << form().lblResult->text().toStdString();
    // Another subtitle file for the same movie: one without a language keeps the stream chosen
    // by hand (not the default one), an English one takes the English stream.
    streams.setCurrentIndex(1);
    openBytes(Late(false), QStringLiteral("late.srt"));
    press();
    EXPECT_EQ(streams.currentData().toInt(), 2);
    openBytes(Late(false), QStringLiteral("again.en.srt"));
    press();
    EXPECT_EQ(streams.currentData().toInt(), 1);
}

class AutoSynchFormats : public AutoSynchButton, public testing::WithParamInterface<bool> {};

TEST_P(AutoSynchFormats, FillsTheAnchorsTrueStartsAndSeeksToTheFirst) {
    const bool microDvd = GetParam();
    openBytes(Late(microDvd), microDvd ? QStringLiteral("late.sub") : QStringLiteral("late.srt"));
    if (!openMovie("dialogue.mkv"))
        GTEST_SKIP() << "libmpv cannot start here";
    ASSERT_FALSE(HasFailure());
    press();
    EXPECT_TRUE(dialogs.messages.empty());
    const auto truth = Truth();
    const SubtitleFormat format = form().document().SubtitleFormat;
    const double unit = microDvd ? 40.0 : 1.0; // ms per value
    const double first = TextToTime(format, form().txtFirst->fieldText().toStdString()) * unit;
    const double last = TextToTime(format, form().txtLast->fieldText().toStdString()) * unit;
    EXPECT_NEAR(first, double(truth.front().first), 150.0);
    EXPECT_NEAR(last, double(truth.back().first), 150.0);
    EXPECT_EQ(form().lblResult->text(),
              "Auto Synch: sure. The true times: first anchor 1: " + form().txtFirst->text() +
                  "; last anchor " + QString::number(form().document().LastAnchor + 1) + ": " +
                  form().txtLast->text() + ". Fix Synch applies them");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return std::abs(form().player().position() * unit - first) <= unit; }, 5000));
    EXPECT_EQ(form().pgrBar->value(), 0);
    EXPECT_TRUE(form().cboSoundStream->isHidden()) << "one sound stream: nothing to choose";
    // The document is not re-timed: that stays Fix Synch's step.
    EXPECT_EQ(form().document().start(0),
              microDvd ? std::lround((truth[0].first + 3200) * 0.025) : truth[0].first + 3200);
}

INSTANTIATE_TEST_SUITE_P(SubRipAndMicroDvd, AutoSynchFormats, testing::Values(false, true));

// The dialogue 3.2 s late as a WebVTT or an ASS file (times in their own forms).
std::string LateIn(SubtitleFormat format) {
    std::string file = format == sfWebVTT ? "WEBVTT\n\n"
                                          : "[Script Info]\nScriptType: v4.00+\n\n[Events]\n"
                                            "Format: Layer, Start, End, Style, Name, MarginL, "
                                            "MarginR, MarginV, Effect, Text\n";
    for (auto [s, e] : Truth()) {
        const std::string start = Clock(s + 3200, '.'), end = Clock(e + 3200, '.');
        if (format == sfWebVTT)
            file += start + " --> " + end + "\n<i>Line</i>\n\n";
        else // H:MM:SS.cc
            file += "Dialogue: 0," + start.substr(1, 10) + "," + end.substr(1, 10) +
                    ",Default,,0,0,0,,{\\i1}Line\n";
    }
    return file;
}

class AutoSynchNewFormats : public AutoSynchButton,
                            public testing::WithParamInterface<SubtitleFormat> {};

TEST_P(AutoSynchNewFormats, FillsTheAnchorsTrueStartsInTheFormatsOwnForm) {
    const SubtitleFormat format = GetParam();
    openBytes(LateIn(format),
              format == sfWebVTT ? QStringLiteral("late.vtt") : QStringLiteral("late.ass"));
    ASSERT_EQ(form().document().SubtitleFormat, format);
    if (!openMovie("dialogue.mkv"))
        GTEST_SKIP() << "libmpv cannot start here";
    ASSERT_FALSE(HasFailure());
    press();
    EXPECT_TRUE(dialogs.messages.empty());
    const auto truth = Truth();
    const double first = TextToTime(format, form().txtFirst->fieldText().toStdString());
    const double last = TextToTime(format, form().txtLast->fieldText().toStdString());
    EXPECT_NEAR(first, double(truth.front().first), 150.0);
    EXPECT_NEAR(last, double(truth.back().first), 150.0);
    EXPECT_TRUE(form().lblResult->text().startsWith(QStringLiteral("Auto Synch: sure.")))
        << form().lblResult->text().toStdString();
    if (format == sfASS) { // whole hundredths, as the file writes them
        EXPECT_EQ(std::lround(first) % 10, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(WebVttAndAss, AutoSynchNewFormats, testing::Values(sfWebVTT, sfASS));

TEST_F(AutoSynchButton, AnotherFilmsSoundIsRefusedAndNothingFilled) {
    openBytes(Late(false));
    if (!openMovie("speech-aac.mkv"))
        GTEST_SKIP() << "libmpv cannot start here";
    ASSERT_FALSE(HasFailure());
    const QString before = form().txtFirst->text();
    const QString lastBefore = form().txtLast->text();
    press();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(form().lblResult->text().startsWith(
        "Auto Synch: none; the subtitles do not match this sound (fit score "))
        << form().lblResult->text().toStdString();
    EXPECT_TRUE(form().lblResult->text().endsWith(". Nothing changed"));
    EXPECT_EQ(form().txtFirst->text(), before);
    EXPECT_EQ(form().txtLast->text(), lastBefore);
}

TEST_F(AutoSynchButton, AnUnsureFitFillsTheFieldsAndAsksToCheck) {
    // Cut 8 s short after the sixth line: one line cannot lay both halves on the speech.
    openBytes(Late(false, 8000));
    if (!openMovie("dialogue.mkv"))
        GTEST_SKIP() << "libmpv cannot start here";
    ASSERT_FALSE(HasFailure());
    const QString before = form().txtFirst->text();
    press();
    EXPECT_TRUE(dialogs.messages.empty());
    const QString result = form().lblResult->text();
    EXPECT_TRUE(result.startsWith("Auto Synch: unsure; ")) << result.toStdString();
    EXPECT_TRUE(result.endsWith(
        ". Check these times before Fix Synch: first anchor 1: " + form().txtFirst->text() +
        "; last anchor " + QString::number(form().document().LastAnchor + 1) + ": " +
        form().txtLast->text()))
        << result.toStdString();
    EXPECT_NE(form().txtFirst->text(), before);
}

TEST_F(AutoSynchButton, ASecondPressCancels) {
    // Speech kept from an earlier run would end the analysis before it can be cancelled.
    QTemporaryDir cache;
    ::setenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()).constData(), 1);
    openBytes(Late(false));
    if (!openMovie("dialogue.mkv"))
        GTEST_SKIP() << "libmpv cannot start here";
    ASSERT_FALSE(HasFailure());
    const QString before = form().txtFirst->text();
    form().cmdAutoSynch->click();
    EXPECT_EQ(form().cmdAutoSynch->text(), QStringLiteral("Cancel"));
    press(); // the second press
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(form().lblResult->text(), "Auto Synch cancelled; nothing changed");
    EXPECT_EQ(form().txtFirst->text(), before);
    EXPECT_EQ(form().pgrBar->value(), 0);
}

TEST_F(AutoSynchButton, NeedsADocumentAndAMovie) {
    QTest::qWait(150);
    EXPECT_FALSE(form().cmdAutoSynch->isEnabled());
    openBytes(Late(false));
    QTest::qWait(150);
    EXPECT_FALSE(form().cmdAutoSynch->isEnabled());
    form().cmdAutoSynch->click(); // does nothing
    EXPECT_EQ(form().cmdAutoSynch->text(), QStringLiteral("Auto Synch"));
}

} // namespace
} // namespace velkar::gui::test
