// How much of one core the program takes over ten seconds: idle with no media, and while a
// 25 fps movie plays with a SubRip document loaded, once with the window's timers (overlay tick
// and position bar) running and once with them stopped (the difference is our own code's share
// beyond what mpv uses); then paused with the list viewer open. Run under Xvfb so that the picture
// is drawn:
//   xvfb-run -a env QT_QPA_PLATFORM=xcb velkar_window_load
// With PROBE set in the environment it breaks the idle figure down by timer instead.

#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

using namespace velkar::gui;

class OneFile : public UserDialogs {
  public:
    QString path;
    std::optional<QString> openFile(QWidget*, const FileRequest&) override { return path; }
    std::optional<QString> saveFile(QWidget*, const FileRequest&) override { return {}; }
    void information(QWidget*, const QString&, const QString&) override {}
    Answer question(QWidget*, const QString&, const QString&, bool) override { return Answer::No; }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return {}; }
};

double ProcessSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

// Runs the event loop as the program does, for `ms` milliseconds.
void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Percent of one core over `ms` milliseconds of the event loop: whole process and main thread.
void Measure(const char* what, int ms) {
    const double process = ProcessSeconds();
    const double thread = ThreadSeconds();
    RunFor(ms);
    std::printf("%-40s process %5.2f %%  main thread %5.2f %%\n", what,
                (ProcessSeconds() - process) * 100000.0 / ms,
                (ThreadSeconds() - thread) * 100000.0 / ms);
}

} // namespace

int main(int argc, char** argv) {
    VelkarApplication app(argc, argv);
    SetUpApplication(app);
    QTemporaryDir folder;
    OneFile dialogs;
    SetUserDialogs(&dialogs);
    const QString clip = folder.filePath(QStringLiteral("clip.avi"));
    QProcess::execute(QStringLiteral("ffmpeg"),
                      {"-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                       "testsrc=duration=40:size=640x480:rate=25", "-f", "lavfi", "-i",
                       "sine=duration=40", "-c:v", "mpeg4", "-c:a", "pcm_s16le", clip});
    const QString subs = folder.filePath(QStringLiteral("subs.srt"));
    {
        QFile file(subs);
        file.open(QIODevice::WriteOnly);
        for (int k = 0; k < 40; ++k)
            file.write(QStringLiteral("%1\r\n00:00:%2,000 --> 00:00:%2,700\r\nLine %1\r\n\r\n")
                           .arg(k + 1)
                           .arg(k, 2, 10, QLatin1Char('0'))
                           .toLatin1());
    }
    Windows windows(folder.filePath(QStringLiteral("tavrel.ini")));
    TForm1& form = windows.Form1();
    form.playback().playerOptions().audioOutput = QStringLiteral("null");
    form.show();
    RunFor(1000);
    Measure("idle, no media", 10000);
    if (qEnvironmentVariableIsSet("PROBE")) {
        form.tmrScroll->stop();
        Measure("idle, bar timer stopped", 5000);
        form.tmrScroll->start();
        form.tmrSub->stop();
        Measure("idle, overlay timer stopped", 5000);
        form.tmrSub->start();
        // The subtitle tick at the pace it has while a movie is open, with none open.
        form.tmrSub->setInterval(1);
        Measure("idle, subtitle tick every millisecond", 5000);
        SetUserDialogs(nullptr);
        return 0; // the playing figures need the tick wired as the program has it
    }

    dialogs.path = subs;
    form.cmdOpenSubtitleClick();
    dialogs.path = clip;
    form.playback().cmdOpenMovieClick();
    form.playback().Mplayer()->play();
    RunFor(1000);
    Measure("playing, timers running", 10000);
    form.tmrSub->stop();
    form.tmrScroll->stop();
    Measure("playing, timers stopped", 10000);
    // Paused with the list viewer open, as a user who stops to compare lines: nothing changes,
    // so nothing may be drawn (target: under 3 % of a core).
    form.tmrSub->start();
    form.tmrScroll->start();
    form.player().pause();
    form.cmdShowSubsClick();
    RunFor(1000);
    Measure("paused, list viewer open", 10000);
    SetUserDialogs(nullptr);
    return 0;
}
