// The timing strip on a minute of dialogue made at test time (tests/autosync/make_clips.sh),
// played by real libmpv: the sound is analysed and drawn, a click seeks, drags and
// Shift/Ctrl+click re-time one subtitle, sync points re-time the file as `velkar-cli sync
// --anchor` does, and every change undoes and redoes with the unsaved mark.

#include "GuiTest.h"

#include "document/LineIo.h"
#include "document/Opening.h"
#include "document/Progress.h"
#include "document/TimeCode.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "strip/StripCanvas.h"
#include "strip/TimingStrip.h"

#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <cstdlib>

namespace velkar::gui::test {
namespace {

const std::string kClips = VELKAR_AUTOSYNC_CLIPS_DIR;

std::string Clock(long ms) {
    char text[64];
    std::snprintf(text, sizeof text, "00:%02ld:%02ld,%03ld", ms / 60000, ms / 1000 % 60, ms % 1000);
    return text;
}

// The dialogue's SubRip file broken as a re-cut film breaks it: every time 3.2 s late, and from
// the seventh line on 2 s later still.
std::string Broken(std::vector<std::pair<long, long>>& truth) {
    const QString path = QString::fromStdString(kClips + "/dialogue.srt");
    velkar::SubtitleDocument doc;
    velkar::NoProgress progress;
    velkar::ReadDocument(doc, path.toStdString());
    velkar::Recognise(doc, progress);
    velkar::FinishOpen(doc, progress);
    std::string file;
    for (std::size_t i = 0; i < doc.SubtitleCount; ++i) {
        truth.push_back({doc.start(i), doc.end(i)});
        const long late = 3200 + (i >= 6 ? 2000 : 0);
        file += std::to_string(i + 1) + "\r\n" + Clock(doc.start(i) + late) + " --> " +
                Clock(doc.end(i) + late) + "\r\n" + doc.SubtitleTexts[i] + "\r\n\r\n";
    }
    return file;
}

class Strip : public GuiTest {
  protected:
    static void SetUpTestSuite() {
        const std::string command =
            "bash " + std::string(VELKAR_AUTOSYNC_CLIP_SCRIPT) + " " + kClips + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    void SetUp() override {
        GuiTest::SetUp();
        start();
        form().tmrSub->stop();
        form().tmrScroll->stop();
        broken = Broken(truth);
        openBytes(broken, QStringLiteral("late.srt"));
    }
    // Opens the movie and shows the strip until its sound is drawn; false when libmpv cannot
    // start here.
    bool openMovieAndStrip() {
        PlaybackCommands& playback = form().playback();
        playback.playerOptions().picture = false;
        playback.playerOptions().audioOutput = QStringLiteral("null");
        dialogs.files.push_back(QString::fromStdString(kClips + "/dialogue.mkv"));
        form().cmdOpenMovie->click();
        if (!playback.mediaLoaded())
            return false;
        form().cmdStrip->click();
        EXPECT_TRUE(strip().isVisible());
        EXPECT_TRUE(QTest::qWaitFor([&] { return strip().sound() != nullptr; }, 30000));
        strip().canvas->resize(1000, 120);
        strip().view().setWidth(1000);
        return true;
    }
    TimingStrip& strip() { return *form().strip(); }
    std::string bytes() { return velkar::SubtitleFileBytes(form().document()); }
    int blockY() { return strip().canvas->height() - 15; }
    void mouse(QEvent::Type type, double x, int y, Qt::MouseButton button,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(x, y);
        QMouseEvent event(type, at, strip().canvas->mapToGlobal(at), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton
                                                             : Qt::MouseButtons(button),
                          modifiers);
        QApplication::sendEvent(strip().canvas, &event);
    }
    void drag(double fromX, double toX, int y) {
        mouse(QEvent::MouseButtonPress, fromX, y, Qt::LeftButton);
        mouse(QEvent::MouseMove, (fromX + toX) / 2, y, Qt::LeftButton);
        mouse(QEvent::MouseMove, toX, y, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, toX, y, Qt::LeftButton);
    }
    // Shows the first ten seconds of the film over 1000 pixels: 10 ms a pixel.
    void showFirstTenSeconds() {
        strip().view().zoom(0, 1e9);
        strip().view().zoom(0, 10000 / strip().view().spanMs());
        ASSERT_NEAR(strip().view().msPerPixel(), 10.0, 1e-9);
        ASSERT_EQ(strip().view().startMs(), 0);
    }

    std::vector<std::pair<long, long>> truth;
    std::string broken;
};

TEST_F(Strip, FollowsTheDocumentWithoutAMovie) {
    ASSERT_EQ(strip().blocks().size(), truth.size());
    EXPECT_EQ(strip().blocks()[6].startMs, truth[6].first + 5200);
    strip().addSyncPoint(0, 1000);
    form().txtFirst->setText(QString::fromStdString(Clock(truth[0].first)));
    form().txtLast->setText(QString::fromStdString(Clock(truth.back().first)));
    form().cmdStretch->click();
    EXPECT_EQ(strip().ghosts().size(), truth.size()); // the times before Fix Synch
    EXPECT_EQ(strip().blocks()[0].startMs, truth[0].first);
    // Another file: its blocks, and nothing of the one before.
    dialogs.answers.push_back(Answer::No);
    openBytes("1\r\n00:00:05,000 --> 00:00:06,000\r\nOther\r\n", QStringLiteral("other.srt"));
    ASSERT_EQ(strip().blocks().size(), 1u);
    EXPECT_EQ(strip().blocks()[0].startMs, 5000);
    EXPECT_TRUE(strip().ghosts().empty());
    EXPECT_TRUE(strip().syncPoints().empty());
}

TEST_F(Strip, DrawsTheSoundAndAClickSeeks) {
    if (!openMovieAndStrip())
        GTEST_SKIP() << "libmpv cannot start here";
    const autosync::MovieSpeech& sound = *strip().sound();
    EXPECT_EQ(sound.peaks.size(), sound.speech.frames.size());
    // Speech is heard, and the sound is loud, where the first line is spoken; not before it.
    int spoken = 0, loudest = 0, before = 0;
    for (long ms = truth[0].first; ms < truth[0].second; ms += 10) {
        spoken += sound.speech.frames.at(std::size_t(ms / 10));
        loudest = std::max<int>(loudest, sound.peaks.at(std::size_t(ms / 10)));
    }
    for (long ms = 0; ms < truth[0].first - 300; ms += 10)
        before += sound.speech.frames.at(std::size_t(ms / 10));
    EXPECT_GT(spoken, (truth[0].second - truth[0].first) / 10 / 3);
    EXPECT_GT(loudest, 60);
    EXPECT_EQ(before, 0);
    EXPECT_EQ(strip().blocks().size(), truth.size());
    EXPECT_NEAR(strip().blocks()[0].startMs, truth[0].first + 3200, 0.5);

    showFirstTenSeconds();
    mouse(QEvent::MouseButtonPress, 432, 30, Qt::LeftButton); // the background
    mouse(QEvent::MouseButtonRelease, 432, 30, Qt::LeftButton);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return std::abs(form().player().position() - 4320) <= 1; }, 5000))
        << form().player().position();
    // Dragging the background scrolls, and does not seek.
    drag(500, 300, 30);
    EXPECT_NEAR(strip().view().startMs(), 2000, 1e-6);
    QTest::qWait(100);
    EXPECT_NEAR(form().player().position(), 4320, 1);
}

TEST_F(Strip, DragsAndShiftCtrlClickRetimeOneSubtitleAndUndo) {
    if (!openMovieAndStrip())
        GTEST_SKIP() << "libmpv cannot start here";
    showFirstTenSeconds();
    const std::int32_t start = form().document().start(0);
    const std::int32_t end = form().document().end(0);
    const double left = strip().view().xAt(start);
    const double right = strip().view().xAt(end);

    drag(left, left - 20.4, blockY()); // the start edge 204 ms earlier
    EXPECT_EQ(form().document().start(0), start - 204);
    EXPECT_EQ(form().document().end(0), end);
    EXPECT_TRUE(form().isWindowModified());
    const std::string afterStart = bytes();

    drag(right, right + 31, blockY()); // the end edge
    EXPECT_EQ(form().document().end(0), end + 310);
    drag((left + right) / 2, (left + right) / 2 - 50, blockY()); // the whole block
    EXPECT_EQ(form().document().start(0), start - 204 - 500);
    EXPECT_EQ(form().document().end(0), end + 310 - 500);
    // Only its timing line changed.
    const auto lines = FileLines(tempPath("late.srt"));
    for (std::size_t k = 0; k < lines.size(); ++k)
        if (k != 1) {
            EXPECT_EQ(form().document().SubtitleLines[k], lines[k]) << k;
        }

    strip().select(1);
    mouse(QEvent::MouseButtonPress, 700, 30, Qt::LeftButton, Qt::ShiftModifier);
    mouse(QEvent::MouseButtonRelease, 700, 30, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(form().document().start(1), 7000);
    mouse(QEvent::MouseButtonPress, 812.3, 30, Qt::LeftButton, Qt::ControlModifier);
    mouse(QEvent::MouseButtonRelease, 812.3, 30, Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(form().document().end(1), 8123);

    // Five changes, five steps back (by the strip's button and by the key) to the file.
    for (int k = 0; k < 3; ++k)
        strip().cmdUndo->click();
    QTest::keyClick(strip().cmdUndo, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(bytes(), afterStart);
    strip().cmdUndo->click();
    EXPECT_EQ(bytes(), broken);
    EXPECT_FALSE(form().isWindowModified());
    EXPECT_EQ(strip().blocks()[0].startMs, start);
    strip().cmdRedo->click();
    EXPECT_EQ(bytes(), afterStart);
    EXPECT_TRUE(form().isWindowModified());
}

// What velkar-cli sync --anchor makes of the broken file with `points`.
std::string CliSync(const QString& file, const std::vector<strip::SyncPoint>& points,
                    const QString& out) {
    QStringList args = {QStringLiteral("sync"), file, QStringLiteral("-o"), out};
    for (const strip::SyncPoint& p : points)
        args << QStringLiteral("--anchor")
             << QStringLiteral("%1=%2")
                    .arg(p.subtitle + 1)
                    .arg(QString::fromStdString(TimeToText(sfSubRip, p.value)));
    QProcess cli;
    cli.start(QStringLiteral(VELKAR_CLI), args);
    EXPECT_TRUE(cli.waitForFinished(10000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    return ReadBytes(out);
}

TEST_F(Strip, SyncPointsRetimeAsTheCommandLineAndPutAReCutFilmRight) {
    if (!openMovieAndStrip())
        GTEST_SKIP() << "libmpv cannot start here";
    const std::size_t last = truth.size() - 1;
    // Two points: one line for the whole film.
    strip().addSyncPoint(0, double(truth[0].first));
    strip().addSyncPoint(int(last), double(truth[last].first));
    EXPECT_EQ(strip().lstPoints->count(), 2);
    EXPECT_FALSE(strip().preview().empty());
    const auto points2 = strip().syncPoints();
    strip().cmdApply->click();
    EXPECT_EQ(bytes(), CliSync(tempPath("late.srt"), points2, tempPath("two.srt")));
    EXPECT_TRUE(strip().syncPoints().empty());
    EXPECT_EQ(strip().ghosts().size(), truth.size());
    form().undoChange();
    EXPECT_EQ(bytes(), broken);

    // Three points, one on each side of the cut: every subtitle back on its true time.
    strip().addSyncPoint(0, double(truth[0].first));
    strip().addSyncPoint(5, double(truth[5].first));
    strip().cmdSyncPoint->setEnabled(true);
    strip().addSyncPoint(int(last), double(truth[last].first));
    const auto points3 = strip().syncPoints();
    ASSERT_EQ(points3.size(), 3u);
    // Before Apply the preview already shows where they land.
    const auto& preview = strip().preview();
    ASSERT_EQ(preview.size(), truth.size());
    for (std::size_t i = 0; i < truth.size(); ++i)
        if (i < 6 || i == last) {
            EXPECT_NEAR(preview[i].startMs, truth[i].first, 1.0) << i;
        }
    strip().cmdApply->click();
    EXPECT_EQ(bytes(), CliSync(tempPath("late.srt"), points3, tempPath("three.srt")));
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(form().document().start(i), truth[i].first) << i;
    EXPECT_EQ(form().document().start(last), truth[last].first);
    EXPECT_TRUE(form().lblResult->text().startsWith(QStringLiteral("Stretched piece by piece")))
        << form().lblResult->text().toStdString();
}

} // namespace
} // namespace velkar::gui::test
