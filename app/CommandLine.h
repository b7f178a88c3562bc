#pragma once
// The program's command line: velkar [SUBTITLE] [MOVIE], in either order, plus --help and
// --version, which answer on the terminal.

#include "app/Version.h"

#include <QString>
#include <QStringList>

namespace velkar::gui {

// The program's version, as --version and the About box give it.
inline const QString kAppVersion = QString::fromLatin1(velkar::kVersion);

struct CommandLine {
    enum class Outcome {
        Open,    // start the windows and open `files`
        Answer,  // print `text` on standard output and end with exit code 0
        Mistake, // print `text` on standard error and end with exit code 2
    };
    Outcome outcome = Outcome::Open;
    QStringList files; // at most two, as given (subtitle and movie are told apart later)
    QString text;
};

// Reads `arguments` (the program's name first). --help / -h answers with the usage, --version /
// -v with "velkar VERSION", whatever else the line holds, so the program can answer them before
// it asks for a display (the window system's own options, such as "-platform offscreen", are
// then still in `arguments`). Otherwise, with those options taken out, an unknown option or
// more than two files is a mistake whose text names it and points to --help.
CommandLine ReadCommandLine(const QStringList& arguments);

} // namespace velkar::gui
