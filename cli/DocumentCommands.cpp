// detect, parse and info: what Velkar sees in a subtitle file.

#include "cli/Commands.h"
#include "cli/OpenSubtitle.h"
#include "document/Format.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/Report.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <ostream>

namespace velkar::cli {

namespace {

using nlohmann::json;

// JSON text never fails on file bytes that are not UTF-8: they are replaced.
void PrintJson(std::ostream& out, const json& value) {
    out << value.dump(-1, ' ', false, json::error_handler_t::replace) << '\n';
}

void Detect(const Streams& streams, const std::string& path) {
    std::ostream& out = streams.out;
    SubtitleDocument doc;
    NoProgress progress;
    ReadInput(doc, path, streams.in);
    Detection detection = Recognise(doc, progress);
    json errors = json::array();
    for (const FormatEntry* entry : RecognitionOrder()) {
        const ErrorRecord which = entry->record;
        if (!detection.recorded[which])
            continue;
        errors.push_back({{"format", entry->jsonName},
                          {"line", doc.ErrorLines[which]},
                          {"text", doc.ErrorTexts[which]}});
    }
    PrintJson(out, {{"format", JsonFormatName(detection.format)},
                    {"lines", doc.SubtitleLines.size()},
                    {"errors", std::move(errors)}});
}

void Parse(const Streams& streams, const std::string& path) {
    std::ostream& out = streams.out;
    SubtitleDocument doc;
    NoProgress progress;
    ReadInput(doc, path, streams.in);
    Recognise(doc, progress);
    ParseSubtitles(doc, progress);
    json subtitles = json::array();
    for (std::size_t i = 0; i < doc.SubtitleCount; ++i)
        subtitles.push_back({{"start", doc.start(i)},
                             {"end", doc.end(i)},
                             {"line", doc.SubtitleLineIndex[i]},
                             {"text", doc.SubtitleTexts[i]}});
    PrintJson(
        out, {{"format", JsonFormatName(doc.SubtitleFormat)}, {"subtitles", std::move(subtitles)}});
}

void Info(const Streams& streams, const std::string& path) {
    SubtitleDocument doc;
    OpenSubtitle(doc, path, streams.in);
    streams.out << ForTerminal(SubtitleInformation(doc)) << '\n';
}

// Registers `name` with one FILE argument; `run` gets the file when the command is chosen.
void AddFileCommand(CLI::App& app, Action& action, const char* name, const char* description,
                    void (*run)(const Streams&, const std::string&)) {
    auto* command = app.add_subcommand(name, description);
    auto path = std::make_shared<std::string>();
    command->add_option("FILE", *path, "Subtitle file; - reads standard input")->required();
    command->callback([&action, path, run] {
        action = [path, run](const Streams& streams) {
            run(streams, *path);
            return 0;
        };
    });
}

} // namespace

void AddDetectCommand(CLI::App& app, Action& action) {
    AddFileCommand(app, action, "detect",
                   "Print the recognised format and every check's first faulty line as JSON",
                   Detect);
}

void AddParseCommand(CLI::App& app, Action& action) {
    AddFileCommand(app, action, "parse", "Print the timing table as JSON", Parse);
}

void AddInfoCommand(CLI::App& app, Action& action) {
    AddFileCommand(app, action, "info", "Print the Subtitle Information report", Info);
}

} // namespace velkar::cli
