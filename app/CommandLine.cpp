#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace velkar::gui {

namespace {

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();

    Parser() {
        // "-platform offscreen" is one word, as the window system reads it.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(
            QStringLiteral("Velkar repairs the timing of subtitle files (MicroDVD, SubRip, "
                           "SubViewer 2.0).\nGiven a subtitle file and a movie, in either "
                           "order, it opens both as \"Open Subtitle\" and \"Open Media\" do."));
        parser.addPositionalArgument(QStringLiteral("SUBTITLE"),
                                     QStringLiteral("The subtitle file to open."),
                                     QStringLiteral("[SUBTITLE]"));
        parser.addPositionalArgument(QStringLiteral("MOVIE"),
                                     QStringLiteral("The movie to play beside it."),
                                     QStringLiteral("[MOVIE]"));
    }
};

} // namespace

CommandLine ReadCommandLine(const QStringList& arguments) {
    Parser p;
    CommandLine line;
    const bool parsed = p.parser.parse(arguments);
    // --help-all would list the window system's options, which are of no use here.
    if (p.parser.isSet(p.help) || p.parser.isSet(QStringLiteral("help-all"))) {
        line.outcome = CommandLine::Outcome::Answer;
        line.text = p.parser.helpText();
    } else if (p.parser.isSet(p.version)) {
        line.outcome = CommandLine::Outcome::Answer;
        line.text = QStringLiteral("velkar ") + kAppVersion + QLatin1Char('\n');
    } else if (!parsed || p.parser.positionalArguments().size() > 2) {
        line.outcome = CommandLine::Outcome::Mistake;
        line.text = (parsed ? QStringLiteral("Too many files: give one subtitle file and one "
                                             "movie at most.")
                            : p.parser.errorText()) +
                    QStringLiteral("\nTry 'velkar --help'.\n");
    } else {
        line.files = p.parser.positionalArguments();
    }
    return line;
}

} // namespace velkar::gui
