#include "TestMedia.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace velkar::playback::test {

namespace {

QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
}

// Makes `name` with ffmpeg and `arguments` (inputs and codecs) unless it is there already.
QString Made(const QString& name, const QStringList& arguments) {
    const QString path = Folder().filePath(name);
    if (QFile::exists(path))
        return path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-nostdin", "-y", "-loglevel", "error"} +
                                               arguments + QStringList{path});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        ADD_FAILURE() << "ffmpeg could not make " << name.toStdString() << ": "
                      << ffmpeg.readAllStandardError().toStdString();
        return QString();
    }
    return path;
}

} // namespace

QString Clip320() {
    return Made(QStringLiteral("clip320.avi"),
                {"-f", "lavfi", "-i",
                 "nullsrc=size=320x240:rate=25:duration=10,format=gray,"
                 "geq=lum='16+mod(N*3,220)',format=yuv420p",
                 "-f", "lavfi", "-i", "sine=duration=10", "-c:v", "mpeg4", "-q:v", "2", "-c:a",
                 "pcm_s16le"});
}

QString Clip640() {
    return Made(QStringLiteral("clip640.avi"),
                {"-f", "lavfi", "-i", "testsrc=duration=5:size=640x480:rate=25", "-f", "lavfi",
                 "-i", "sine=duration=5", "-c:v", "mpeg4", "-q:v", "3", "-c:a", "pcm_s16le"});
}

QString ClipOfSize(int width, int height) {
    // One second at a low rate: the size is what matters, not the picture.
    return Made(QStringLiteral("clip%1x%2.mkv").arg(width).arg(height),
                {"-f", "lavfi", "-i",
                 QStringLiteral("testsrc=duration=1:size=%1x%2:rate=5").arg(width).arg(height),
                 "-c:v", "mpeg4", "-q:v", "31"});
}

QString ToneMp3() {
    return Made(QStringLiteral("tone.mp3"),
                {"-f", "lavfi", "-i", "sine=frequency=440:duration=5", "-c:a", "libmp3lame"});
}

QString ToneWithCoverMp3() {
    return Made(QStringLiteral("tone-cover.mp3"), {"-f",
                                                   "lavfi",
                                                   "-i",
                                                   "sine=frequency=440:duration=5",
                                                   "-f",
                                                   "lavfi",
                                                   "-i",
                                                   "color=red:size=64x64:duration=1",
                                                   "-map",
                                                   "0:a",
                                                   "-map",
                                                   "1:v",
                                                   "-frames:v",
                                                   "1",
                                                   "-c:a",
                                                   "libmp3lame",
                                                   "-c:v",
                                                   "mjpeg",
                                                   "-disposition:v",
                                                   "attached_pic",
                                                   "-id3v2_version",
                                                   "3"});
}

QString NotMedia() {
    const QString path = Folder().filePath(QStringLiteral("notes.txt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("These are not moving pictures.\r\nJust two lines of text.\r\n");
    return path;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

void Pump(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
}

} // namespace velkar::playback::test
