// mend: the common faults of a real subtitle file put right, and a list of what was changed.

#include "cli/Commands.h"
#include "cli/OpenSubtitle.h"
#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/Mending.h"
#include "document/Opening.h"

#include <memory>
#include <ostream>

namespace velkar::cli {

namespace {

struct MendOptions {
    std::string input;
    std::string output;
};

void Mend(std::ostream& out, const MendOptions& options) {
    if (!options.output.empty() && SameFile(options.input, options.output))
        throw UsageError("The mended file must not replace the file it was read from");
    SubtitleDocument doc;
    ReadDocument(doc, options.input);
    NoProgress progress;
    const Mending mending = MendLines(doc.SubtitleLines);
    if (!mending.mended() && !mending.fault.empty())
        throw VelkarError("The Subtitle file cannot be mended: " + mending.fault);
    if (mending.mended()) {
        out << ForTerminal(MendList(mending)) << '\n';
        ApplyMending(doc, mending, progress);
    } else
        out << "Nothing to mend: the Subtitle file opens as it is\n";
    if (!options.output.empty())
        WriteSubtitleLines(doc, options.output);
}

} // namespace

void AddMendCommand(CLI::App& app, Action& action) {
    auto options = std::make_shared<MendOptions>();
    auto* command = app.add_subcommand(
        "mend", "Mend the common faults of a subtitle file that does not open as it is, print "
                "what was changed and write the mended copy");
    command->add_option("FILE", options->input, "Subtitle file to mend (never written)")
        ->required();
    command->add_option("-o,--output", options->output,
                        "File to write the mended copy to (every line not listed as mended "
                        "keeps its bytes)");
    command->callback([&action, options] {
        action = [options](std::ostream& out) {
            Mend(out, *options);
            return 0;
        };
    });
}

} // namespace velkar::cli
