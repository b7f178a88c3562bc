#include "cli/Cli.h"

#include "app/Version.h"
#include "cli/Commands.h"
#include "document/Errors.h"
#include "document/LineIo.h"

#include <iostream>

namespace velkar::cli {

std::string ForTerminal(std::string_view message) {
    std::string text;
    text.reserve(message.size());
    for (std::size_t i = 0; i < message.size(); ++i) {
        text.push_back(message[i]);
        if (message[i] == '\n' && i + 1 < message.size() && message[i + 1] == '\r')
            ++i; // LF CR is one line break
    }
    return text;
}

void WriteOutput(const Streams& streams, const std::string& path, std::string_view bytes) {
    if (path == kStandardStream)
        streams.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    else
        WriteFileAtomically(path, bytes);
}

void WriteOutput(const Streams& streams, const std::string& path, const SubtitleDocument& doc) {
    if (path == kStandardStream)
        WriteSubtitleLines(doc, streams.out);
    else
        WriteSubtitleLines(doc, path);
}

int Run(int argc, char** argv, std::ostream& out, std::ostream& err) {
    return Run(argc, argv, std::cin, out, err);
}

int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err) {
    CLI::App app{"Velkar: repairs the timing of MicroDVD, SubRip and SubViewer 2.0 subtitles",
                 "velkar-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("velkar-cli ") + kVersion);
    Action action;
    AddDetectCommand(app, action);
    AddParseCommand(app, action);
    AddInfoCommand(app, action);
    AddSyncCommand(app, action);
    AddAviInfoCommand(app, action);
    AddAutosyncCommand(app, action);
    AddMendCommand(app, action);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int code = app.exit(e, out, err);
        return code == 0 ? 0 : 2;
    }
    int code = 0;
    try {
        if (action)
            code = action(Streams{in, out, err});
        out.flush();
        if (!out)
            throw VelkarError("Cannot write to standard output");
    } catch (const UsageError& e) {
        err << e.what() << '\n';
        return 2;
    } catch (const std::exception& e) {
        err << ForTerminal(e.what()) << '\n';
        return 1;
    }
    return code;
}

} // namespace velkar::cli
