// sync: the program's main job from the command line.

#include "cli/Commands.h"
#include "cli/OpenSubtitle.h"
#include "document/Errors.h"
#include "document/IntegerConversion.h"
#include "document/LineIo.h"
#include "document/TimeCode.h"
#include "sync/FixSynch.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

namespace velkar::cli {

namespace {

struct SyncOptions {
    std::string input;
    std::string output;
    std::string firstTime;
    std::string lastTime;
    std::optional<long long> firstAnchor; // 1-based, as the picker numbers subtitles
    std::optional<long long> lastAnchor;
    std::string tolerance = std::string(kToleranceItems[kDefaultToleranceIndex]);
    std::vector<std::string> anchors; // "N=TIME", N from 1
    bool mend = false;
};

// The anchors of a piecewise sync, "N=TIME" each, N a subtitle number from 1.
std::vector<TypedAnchor> PiecewiseAnchors(const std::vector<std::string>& options,
                                          std::size_t count) {
    std::vector<TypedAnchor> anchors;
    for (const std::string& option : options) {
        const std::size_t equals = option.find('=');
        const std::optional<std::int32_t> number =
            equals == std::string::npos ? std::nullopt
                                        : TryStrToInt(std::string_view(option).substr(0, equals));
        if (!number)
            throw UsageError("--anchor takes N=TIME, N a subtitle number: " + option);
        if (*number < 1 || static_cast<std::size_t>(*number) > count)
            throw VelkarError("--anchor must name a subtitle from 1 to " + std::to_string(count));
        anchors.push_back({*number - 1, option.substr(equals + 1)});
    }
    return anchors;
}

int ToleranceIndex(const std::string& item) {
    for (std::size_t i = 0; i < kToleranceItems.size(); ++i)
        if (kToleranceItems[i] == item)
            return static_cast<int>(i);
    std::string items;
    for (auto text : kToleranceItems)
        items += (items.empty() ? "" : ", ") + std::string(text);
    throw UsageError("--tolerance must be one of " + items);
}

std::int32_t AnchorIndex(std::optional<long long> number, std::size_t fallback, std::size_t count,
                         const char* option) {
    if (!number)
        return static_cast<std::int32_t>(fallback);
    if (*number < 1 || static_cast<std::size_t>(*number) > count)
        throw VelkarError(std::string(option) + " must name a subtitle from 1 to " +
                          std::to_string(count));
    return static_cast<std::int32_t>(*number - 1);
}

// A new document for a sync. The one before it is freed only then: the document of the last
// sync of a run is left to the end of the process, since freeing a large one piece by piece
// just before the process ends would only delay that. It stays reachable from here, so a leak
// check does not count it.
SubtitleDocument& NewDocument() {
    static SubtitleDocument* latest = nullptr;
    delete std::exchange(latest, nullptr);
    latest = new SubtitleDocument;
    return *latest;
}

void Sync(const Streams& streams, const SyncOptions& options) {
    const int tolerance = ToleranceIndex(options.tolerance);
    const bool piecewise = !options.anchors.empty();
    if (piecewise && (options.anchors.size() < 2 || !options.firstTime.empty() ||
                      !options.lastTime.empty() || options.firstAnchor || options.lastAnchor))
        throw UsageError("Give two or more --anchor N=TIME, without --first, --last, "
                         "--first-anchor or --last-anchor");
    if (!piecewise && (options.firstTime.empty() || options.lastTime.empty()))
        throw UsageError("Give --first and --last, or two or more --anchor N=TIME");
    if (SameFile(options.input, options.output))
        throw UsageError("The re-timed file must not replace the file it was read from");

    SubtitleDocument& doc = NewDocument();
    std::string mended;
    // A sync needs only the times.
    OpenSubtitle(doc, options.input, streams.in, SubtitleTextsWanted::No,
                 options.mend ? &mended : nullptr);
    PrintMended(options.output == kStandardStream ? streams.err : streams.out, mended);
    if (doc.SubtitleCount == 0)
        throw VelkarError("The Subtitle file holds no subtitles");
    doc.FirstAnchor = AnchorIndex(options.firstAnchor, 0, doc.SubtitleCount, "--first-anchor");
    doc.LastAnchor =
        AnchorIndex(options.lastAnchor, doc.SubtitleCount - 1u, doc.SubtitleCount, "--last-anchor");
    NoProgress progress;
    const SynchOutcome outcome =
        piecewise
            ? FixSynchPiecewise(doc, PiecewiseAnchors(options.anchors, doc.SubtitleCount), progress)
            : FixSynch(doc, options.firstTime, options.lastTime, tolerance, progress);
    WriteOutput(streams, options.output, doc);
    // The copy on standard output leaves the summary to the error stream.
    (options.output == kStandardStream ? streams.err : streams.out)
        << SynchResultText(outcome, doc.SubtitleFormat) << '\n';
}

} // namespace

void AddSyncCommand(CLI::App& app, Action& action) {
    auto options = std::make_shared<SyncOptions>();
    auto* command = app.add_subcommand(
        "sync", "Re-time a subtitle file from two anchors' true start times and write a copy");
    command
        ->add_option("FILE", options->input,
                     "Subtitle file to re-time (never written); - reads standard input")
        ->required();
    command->add_option("--first", options->firstTime,
                        "True start of the first anchor, in the file's own form: a frame number "
                        "(MicroDVD), hh:nn:ss,zzz (SubRip) or hh:nn:ss.zz (SubViewer 2.0)");
    command->add_option("--last", options->lastTime, "True start of the last anchor");
    command
        ->add_option("-o,--output", options->output,
                     "File to write the re-timed copy to; - writes it to standard output "
                     "(and the summary to standard error)")
        ->required();
    command->add_option("--first-anchor", options->firstAnchor,
                        "Number of the first anchor subtitle, from 1 (default: the first)");
    command->add_option("--last-anchor", options->lastAnchor,
                        "Number of the last anchor subtitle, from 1 (default: the last)");
    command->add_option("--anchor", options->anchors,
                        "N=TIME: subtitle N (from 1) truly starts at TIME, in the file's own form; "
                        "two or more, instead of --first and --last, re-time each stretch between "
                        "neighbouring anchors through its own straight line (a film re-cut in "
                        "several places)");
    command->add_option("--tolerance", options->tolerance,
                        "Regression item: 0.1%, 0.01%, 0.001%, 0.0001% (default), 0.00001% "
                        "or 0.000001%");
    AddMendFlag(*command, options->mend);
    command->callback([&action, options] {
        action = [options](const Streams& streams) {
            Sync(streams, *options);
            return 0;
        };
    });
}

} // namespace velkar::cli
