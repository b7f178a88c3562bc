// avi-info: the video information report of AVI files.

#include "avi/AviPars.h"
#include "avi/AviReport.h"
#include "cli/Commands.h"
#include "document/Errors.h"

#include <memory>
#include <ostream>
#include <vector>

namespace velkar::cli {

namespace {

// One AviInfo serves every file, as in the program: a value a later file does not supply
// (the audio of a silent movie, say) stays as an earlier file left it. A file that cannot be
// read (missing, a folder, a pipe) ends the command with "Cannot open file <path>", after the
// reports of the files before it.
void AviInfoReports(std::ostream& out, const std::vector<std::string>& paths) {
    AviInfo info;
    for (const std::string& path : paths) {
        const AviChunks chunks = ScanAviChunks(path);
        if (chunks.AviFileSize < 0)
            throw FileOpenError(path);
        ReadAviHeaders(path, chunks, info);
        out << ForTerminal(VideoInformation(path, chunks.AviFileSize, info)) << '\n';
    }
}

} // namespace

void AddAviInfoCommand(CLI::App& app, Action& action) {
    auto* command = app.add_subcommand(
        "avi-info", "Print the Video Information report of each AVI file, in the order given");
    auto paths = std::make_shared<std::vector<std::string>>();
    command->add_option("FILE", *paths, "AVI files (any extension)")->required();
    command->callback([&action, paths] {
        action = [paths](std::ostream& out) {
            AviInfoReports(out, *paths);
            return 0;
        };
    });
}

} // namespace velkar::cli
