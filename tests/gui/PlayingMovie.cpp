#include "PlayingMovie.h"

#include "frmMain/PlaybackCommands.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace velkar::gui::test {

QString HundredSecondMovie() {
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("grey100.avi"));
    if (QFile::exists(path))
        return path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                  "color=c=gray:size=64x48:rate=25:duration=100", "-c:v", "mpeg4", path});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return QString();
    return path;
}

bool PlayingMovieTest::startWithMovie() {
    start();
    form().tmrSub->stop();
    form().tmrScroll->stop();
    const QString movie = HundredSecondMovie();
    if (movie.isEmpty())
        return false;
    PlaybackCommands& playback = form().playback();
    playback.playerOptions().picture = false;
    playback.playerOptions().audioOutput = QStringLiteral("null");
    dialogs.files.push_back(movie);
    playback.cmdOpenMovieClick();
    return playback.mediaLoaded();
}

void PlayingMovieTest::at(std::int32_t ms) {
    form().player().seek(ms);
    // The position reads as the target at once; wait until mpv has landed on that frame.
    QTest::qWait(50);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form().player().position() == ms; }, 5000))
        << "player at " << form().player().position() << " ms, not " << ms;
}

void PlayingMovieTest::pressAt(std::int32_t ms) {
    at(ms);
    form().cmdStartEnd->click();
}

void PlayingMovieTest::loadText(const std::string& bytes) {
    const QString path = tempPath(QStringLiteral("dialogs.txt"));
    WriteBytes(path, bytes);
    dialogs.files.push_back(path);
    form().cmdLoadText->click();
}

std::vector<std::string> PlayingMovieTest::saveAs(const QString& name) {
    const QString path = tempPath(name);
    dialogs.files.push_back(path);
    form().cmdSave->click();
    return FileLines(path);
}

} // namespace velkar::gui::test
