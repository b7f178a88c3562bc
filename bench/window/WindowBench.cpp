// The windows on a big document: a 65,535-subtitle SubRip file (bench/make_files.py writes it)
// opened through "Open Subtitle", timed from the file's name to the "Subtitle Information" text;
// then the dialog picker and the repair list opened, and the list viewer following the player to
// lines far apart. Each figure is the median and the slowest of several runs, in milliseconds,
// with the window's pending events (layout, painting) handled inside the time.
//
//   velkar_window_bench [FILE.srt]      (offscreen unless QT_QPA_PLATFORM says otherwise)
//
// Without a file it writes one with make_files.py into a temporary folder.

#include "app/Application.h"
#include "app/UserDialogs.h"
#include "frmMain/TForm1.h"
#include "select/TForm2.h"
#include "strip/StripCanvas.h"
#include "strip/TimingStrip.h"
#include "subs/TfrmSubs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace velkar::gui;

// Answers the file dialog with one file and notes when the last message box came up.
class BenchDialogs : public UserDialogs {
  public:
    QString path;
    QString lastMessage;
    std::optional<QString> openFile(QWidget*, const FileRequest&) override { return path; }
    std::optional<QString> saveFile(QWidget*, const FileRequest&) override { return {}; }
    void information(QWidget*, const QString&, const QString& text) override { lastMessage = text; }
    Answer question(QWidget*, const QString&, const QString&, bool) override { return Answer::No; }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return {}; }
};

void Settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// Runs `step` `runs` times (after `prepare` each time, not timed) and prints its figures.
void Time(const char* what, int runs, const std::function<void()>& prepare,
          const std::function<void()>& step) {
    std::vector<double> ms;
    for (int k = 0; k < runs; ++k) {
        prepare();
        Settle();
        QElapsedTimer clock;
        clock.start();
        step();
        Settle();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %8.1f ms   slowest %8.1f ms   (%d runs)\n", what, ms[ms.size() / 2],
                ms.back(), runs);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    // The offscreen platform's notes about what it cannot do would drown the figures.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    VelkarApplication app(argc, argv);
    SetUpApplication(app);
    QTemporaryDir folder;
    QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (file.isEmpty()) {
        QProcess::execute(QStringLiteral("python3"),
                          {QStringLiteral(VELKAR_MAKE_FILES), folder.path()});
        file = folder.filePath(QStringLiteral("bench.srt"));
    }
    BenchDialogs dialogs;
    dialogs.path = file;
    SetUserDialogs(&dialogs);
    Windows windows(folder.filePath(QStringLiteral("tavrel.ini")));
    TForm1& form = windows.Form1();
    form.show();
    Settle();

    Time(
        "open: file name to Subtitle Information", 5, [] {},
        [&] {
            form.cmdOpenSubtitleClick();
            form.cmdSubInfoClick();
        });
    if (form.document().SubtitleCount != 65535 || dialogs.lastMessage.isEmpty()) {
        std::fprintf(stderr, "the file did not open as 65,535 subtitles\n");
        return 1;
    }

    TForm2& picker = windows.Form2();
    Time(
        "picker: Select Last to the list shown", 5, [] {},
        [&] {
            QTimer::singleShot(0, &picker, [&] {
                Settle();
                picker.reject();
            });
            form.cmdSelect2->click();
        });

    form.chkRepair->setChecked(true);
    Time(
        "repair list: drop-down shown", 5, [&] { form.cboDialogs->hidePopup(); },
        [&] { form.cboDialogs->showPopup(); });
    form.cboDialogs->hidePopup();
    form.chkRepair->setChecked(false);

    TfrmSubs& viewer = windows.frmSubs();
    form.cmdView->click();
    int line = 0;
    Time(
        "viewer: following the player to a far line", 20, [] {},
        [&] {
            line = (line + 104729) % 262140;
            viewer.SelectLine(line);
        });
    Time(
        "open again with the list viewer shown", 5, [] {},
        [&] {
            form.cmdOpenSubtitleClick();
            form.cmdSubInfoClick();
        });
    // The timing strip over a 2-hour film's sound (made up: speech and levels in turns), one
    // repaint at each zoom, 65,535 subtitles in the document.
    viewer.hide();
    auto sound = std::make_shared<velkar::autosync::MovieSpeech>();
    for (std::size_t k = 0; k < 720000; ++k) {
        sound->speech.frames.push_back(k / 150 % 3 != 0);
        sound->peaks.push_back(static_cast<std::uint8_t>(k * 37 % 256));
    }
    TimingStrip& strip = *form.strip();
    form.cmdStrip->click();
    strip.resize(1400, 220);
    Settle();
    strip.showSound(sound);
    Settle();
    for (const double spanMs : {2000.0, 60000.0, 600000.0, 7200000.0}) {
        strip.view().zoom(0, 1e12);
        strip.view().zoom(0, spanMs / strip.view().spanMs());
        strip.view().scroll(strip.canvas->width() * 2.5); // somewhere inside the film
        char what[64];
        std::snprintf(what, sizeof what, "strip: one repaint, %.0f s in view", spanMs / 1000);
        Time(
            what, 20, [] {}, [&] { strip.canvas->repaint(); });
    }
    SetUserDialogs(nullptr);
    return 0;
}
