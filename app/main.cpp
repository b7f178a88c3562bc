// Velkar, the desktop program: velkar [SUBTITLE] [MOVIE].

#include "app/Application.h"
#include "app/CommandLine.h"
#include "frmMain/TForm1.h"
#include "playback/ExternalPlayer.h"

#include <QTimer>
#include <cstdio>

namespace {

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// True when the window system may be reached: without a display, a platform or a -platform
// option, making the application would end the program before it could say anything.
bool DisplayNamed(const QStringList& arguments) {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    return arguments.contains(QStringLiteral("-platform")) ||
           arguments.contains(QStringLiteral("--platform"));
}

} // namespace

int main(int argc, char** argv) {
    using velkar::gui::CommandLine;
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    const CommandLine early = velkar::gui::ReadCommandLine(raw);
    if (early.outcome == CommandLine::Outcome::Mistake && !DisplayNamed(raw)) {
        // Without a display no window system option can be on the line: the mistake is one.
        Print(stderr, early.text);
        return 2;
    }
    if (early.outcome == CommandLine::Outcome::Answer) {
        // --help and --version need no display: a plain core application names the program.
        QCoreApplication terminal(argc, argv);
        Print(stdout, velkar::gui::ReadCommandLine(terminal.arguments()).text);
        return 0;
    }
    velkar::gui::VelkarApplication app(argc, argv);
    velkar::gui::SetUpApplication(app);
    // The application took out the window system's own options.
    const CommandLine line = velkar::gui::ReadCommandLine(app.arguments());
    if (line.outcome != CommandLine::Outcome::Open) {
        Print(stderr, line.text);
        return 2;
    }
    int code = 0;
    {
        velkar::gui::Windows windows(velkar::gui::DefaultSettingsPath());
        windows.Form1().show();
        // The files open once the window is up, as if chosen with its buttons.
        if (!line.files.isEmpty())
            QTimer::singleShot(0, &windows.Form1(),
                               [&windows, &line] { windows.Form1().OpenHandedFiles(line.files); });
        code = app.exec();
    }
    // The window closed at once; an external player it let go of may still be ending.
    velkar::playback::ExternalPlayer::awaitEndedPlayers();
    return code;
}
