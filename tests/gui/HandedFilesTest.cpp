// Files handed over the usual ways: the command line (velkar [SUBTITLE] [MOVIE], --help,
// --version) and a drop onto the main window.

#include "PlayingMovie.h"

#include "app/CommandLine.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "playback/MpvPlayer.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

namespace velkar::gui::test {
namespace {

const std::string kSubRip = "1\r\n00:00:01,000 --> 00:00:02,000\r\nHello\r\n\r\n"
                            "2\r\n00:00:04,000 --> 00:00:05,000\r\nAgain\r\n";

// --- The command line -------------------------------------------------------------------------

struct LineCase {
    QStringList arguments; // after the program's name
    CommandLine::Outcome outcome;
    QStringList files;
    QString text; // the whole text, or for help a part of it
};

// After "Usage: " and the program's path.
const QString kUsage = QStringLiteral(" [options] [SUBTITLE] [MOVIE]");

class ReadingTheCommandLine : public testing::TestWithParam<LineCase> {};

TEST_P(ReadingTheCommandLine, AnswersOrHandsOverTheFiles) {
    const LineCase& c = GetParam();
    const CommandLine line = ReadCommandLine(QStringList{QStringLiteral("velkar")} + c.arguments);
    EXPECT_EQ(line.outcome, c.outcome);
    EXPECT_EQ(line.files, c.files);
    if (c.outcome == CommandLine::Outcome::Answer && c.text == kUsage) {
        EXPECT_TRUE(line.text.contains(c.text)) << line.text.toStdString();
    } else {
        EXPECT_EQ(line.text, c.text);
    }
}

using O = CommandLine::Outcome;

INSTANTIATE_TEST_SUITE_P(
    CommandLine, ReadingTheCommandLine,
    testing::Values(
        LineCase{{}, O::Open, {}, {}}, LineCase{{"film.srt"}, O::Open, {"film.srt"}, {}},
        LineCase{{"film.mkv", "film.srt"}, O::Open, {"film.mkv", "film.srt"}, {}},
        LineCase{{"--", "-odd.srt"}, O::Open, {"-odd.srt"}, {}},
        LineCase{{"--help"}, O::Answer, {}, kUsage}, LineCase{{"-h"}, O::Answer, {}, kUsage},
        LineCase{{"--help-all"}, O::Answer, {}, kUsage},
        LineCase{{"--version"}, O::Answer, {}, "velkar 1.4.0\n"},
        // Asked before the window system has taken its own options out.
        LineCase{{"-platform", "offscreen", "--version"}, O::Answer, {}, "velkar 1.4.0\n"},
        LineCase{{"a.srt", "b.mkv", "c"},
                 O::Mistake,
                 {},
                 "Too many files: give one subtitle file and one movie at most.\n"
                 "Try 'velkar --help'.\n"},
        LineCase{{"--bogus"}, O::Mistake, {}, "Unknown option 'bogus'.\nTry 'velkar --help'.\n"}));

// --- Opening what was handed over ---------------------------------------------------------------

class HandedFiles : public PlayingMovieTest {
  protected:
    QString subtitleFile(const QString& name = QStringLiteral("film.srt")) {
        WriteBytes(tempPath(name), kSubRip);
        return tempPath(name);
    }
    QString movieCopy(const QString& name) {
        const QString path = tempPath(name);
        EXPECT_TRUE(QFile::copy(HundredSecondMovie(), path));
        return path;
    }
    // Drops `urls` onto the main window and lets the queued open run; true when the window
    // took the drag.
    bool drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(300, 150), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(&form(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(300, 150), Qt::CopyAction, &data, Qt::LeftButton,
                           Qt::NoModifier);
        QCoreApplication::sendEvent(&form(), &dropped);
        QCoreApplication::processEvents();
        return true;
    }
};

TEST_F(HandedFiles, ASubtitleFileOpensAsIfChosenWithTheButton) {
    start();
    const QString path = subtitleFile();
    form().OpenHandedFiles({path});
    EXPECT_TRUE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().document().SubtitleFileName, path.toStdString());
    EXPECT_EQ(form().txtFirst->displayText(), "00:00:01,000");
    EXPECT_EQ(form().windowTitle(), "film.srt[*] - Velkar");
    EXPECT_TRUE(dialogs.fileRequests.empty());
}

TEST_F(HandedFiles, MovieAndSubtitleOpenInEitherOrder) {
    VELKAR_START_WITH_MOVIE(); // the player, set up for tests, has one movie open already
    const QString subtitle = subtitleFile(QStringLiteral("named-anything.dat"));
    for (const QString& name : {QStringLiteral("one.avi"), QStringLiteral("two.avi")}) {
        const QString movie = movieCopy(name);
        form().OpenHandedFiles(name == "one.avi" ? QStringList{movie, subtitle}
                                                 : QStringList{subtitle, movie});
        EXPECT_TRUE(form().playback().mediaLoaded());
        EXPECT_EQ(form().playback().Mplayer()->fileName(), movie);
        EXPECT_TRUE(form().document().SubtitleLoaded);
        EXPECT_EQ(form().windowTitle(), "named-anything.dat[*] - Velkar - " + name);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HandedFiles, AFileThatCannotBeOpenedIsReported) {
    start();
    form().OpenHandedFiles({tempPath("missing.srt")});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "Cannot open file " + tempPath("missing.srt"));
    EXPECT_FALSE(form().document().SubtitleLoaded);
}

TEST_F(HandedFiles, UnsavedChangesAreAskedAboutAndCancelOpensNothing) {
    start();
    open(subtitleFile(QStringLiteral("first.srt")));
    form().txtFirst->setText(QStringLiteral("00:00:03,000"));
    form().txtLast->setText(QStringLiteral("00:00:09,000"));
    form().cmdStretch->click();
    ASSERT_TRUE(form().documentModified());
    dialogs.answers.push_back(Answer::Cancel);
    form().OpenHandedFiles({subtitleFile()});
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], "Save changes to first.srt?");
    EXPECT_EQ(form().windowTitle(), "first.srt[*] - Velkar");
    EXPECT_TRUE(form().documentModified());
}

TEST_F(HandedFiles, ADroppedSubtitleFileOpens) {
    start();
    EXPECT_TRUE(drop({QUrl::fromLocalFile(subtitleFile())}));
    EXPECT_TRUE(form().document().SubtitleLoaded);
    EXPECT_EQ(form().windowTitle(), "film.srt[*] - Velkar");
}

TEST_F(HandedFiles, ADroppedMovieOpens) {
    VELKAR_START_WITH_MOVIE();
    const QString movie = movieCopy(QStringLiteral("dropped.avi"));
    EXPECT_TRUE(drop({QUrl::fromLocalFile(movie)}));
    EXPECT_EQ(form().playback().Mplayer()->fileName(), movie);
    EXPECT_EQ(form().windowTitle(), "Velkar - dropped.avi");
    EXPECT_FALSE(form().document().SubtitleLoaded);
}

TEST_F(HandedFiles, OnlyLocalFilesAreTaken) {
    start();
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/film.srt"))}));
    EXPECT_FALSE(drop({}));
    EXPECT_FALSE(form().document().SubtitleLoaded);
}

TEST_F(HandedFiles, ADropLeavesTheCreationLayout) {
    start();
    form().cmdCreate->click();
    ASSERT_TRUE(form().cmdOpenSubtitle->isHidden());
    EXPECT_TRUE(drop({QUrl::fromLocalFile(subtitleFile())}));
    EXPECT_FALSE(form().cmdOpenSubtitle->isHidden());
    EXPECT_TRUE(form().cmdLoadText->isHidden());
    EXPECT_EQ(form().document().SubtitleFormat, sfSubRip);
}

} // namespace
} // namespace velkar::gui::test
