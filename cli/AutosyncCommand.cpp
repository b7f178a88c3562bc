// autosync: finds the true times of a subtitle file from a movie's sound (or from a correctly
// timed subtitle file) and writes the re-timed copy.

#include "autosync/Fit.h"
#include "autosync/SoundModule.h"
#include "autosync/SpeechCache.h"
#include "autosync/StreamChoice.h"
#include "autosync/SubtitleSpeech.h"
#include "cli/Autosync.h"
#include "cli/Commands.h"
#include "cli/LibraryPairs.h"
#include "cli/OpenSubtitle.h"
#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/TimeCode.h"
#include "sync/RebuildLines.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <ostream>

namespace velkar::cli {

namespace {

using namespace velkar::autosync;

struct AutosyncOptions {
    std::string input;
    std::string movie;
    std::string reference;
    std::string output;
    bool split = false;
    std::string stream;
    std::optional<double> frameRate;
    bool mend = false;
    bool force = false;
    BatchOptions batch;
    bool noCache = false;
};

// A bar on the error stream while the sound is decoded, when that stream is a terminal.
class TerminalProgress final : public AnalysisProgress {
  public:
    TerminalProgress() : m_shown(isatty(STDERR_FILENO) == 1) {}
    ~TerminalProgress() override {
        if (m_shown && m_last >= 0)
            std::fputs("\r\033[K", stderr);
    }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;
    void advanced(double fraction) override {
        const int percent = static_cast<int>(fraction * 100.0);
        if (!m_shown || percent == m_last)
            return;
        m_last = percent;
        constexpr int kWidth = 40;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\rListening to the sound [%.*s%*s] %3d%%", filled,
                     "########################################", kWidth - filled, "", percent);
        std::fflush(stderr);
    }
    bool cancelled() const override { return false; }

  private:
    bool m_shown;
    int m_last = -1;
};

std::string Seconds(double ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.3f s", ms / 1000.0);
    return text;
}

std::string Stretch(double stretch) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", stretch);
    return text;
}

// Writes the fitted times (which passed CheckTimingLines) into the document's lines, subtitle by
// subtitle, all or nothing.
// (Not through Fix Synch: typed times that only shift a document leave it unchanged there, and
// a shift is the most common damage.)
void Retime(SubtitleDocument& doc, const MappedTimes& times) {
    NoProgress progress;
    WriteTimingLines(doc, times.starts, times.ends, progress);
    std::copy(times.starts.begin(), times.starts.end(), doc.TimingTable[0].begin());
    std::copy(times.ends.begin(), times.ends.end(), doc.TimingTable[1].begin());
}

std::string Percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f %%", 100.0 * share);
    return text;
}

int Autosync(const Streams& streams, const AutosyncOptions& options) {
    if (!options.batch.folders.empty()) {
        if (!options.input.empty() || !options.movie.empty() || !options.reference.empty() ||
            !options.output.empty())
            throw UsageError("--batch takes folders: no SUBTITLE, MOVIE, --reference or -o");
        BatchOptions batch = options.batch;
        batch.mend = options.mend;
        batch.noCache = options.noCache;
        batch.split = options.split;
        batch.force = options.force;
        batch.stream = ReadStreamOption(options.stream);
        if (batch.stream && !batch.stream->index && batch.stream->kind != StreamKind::Sound)
            throw UsageError("--batch listens to a sound stream: give --stream a:N, a:LANGUAGE "
                             "or an index");
        batch.frameRate = options.frameRate;
        if (batch.frameRate && !(*batch.frameRate > 0 && *batch.frameRate < 1000))
            throw UsageError("--fps must be a frame rate above 0 and below 1000");
        return AutosyncBatch(streams, batch);
    }
    if (options.batch.recursive || options.batch.inPlace || !options.batch.out.empty() ||
        !options.batch.report.empty() || !options.batch.shard.empty() || options.batch.jobs != 1)
        throw UsageError("--recursive, --in-place, --out, --jobs, --report and --shard go with "
                         "--batch");
    if (options.input.empty())
        throw UsageError("Give the SUBTITLE to re-time, or --batch FOLDER...");
    if (options.movie.empty() == options.reference.empty())
        throw UsageError("Give either a MOVIE or --reference GOOD_SUBTITLE");
    if (options.frameRate && !(*options.frameRate > 0 && *options.frameRate < 1000))
        throw UsageError("--fps must be a frame rate above 0 and below 1000");
    if (options.input == kStandardStream && options.reference == kStandardStream)
        throw UsageError("Standard input (-) can be read only once");
    if (!options.output.empty() && SameFile(options.input, options.output))
        throw UsageError("The re-timed file must not replace the file it was read from");
    const std::optional<StreamSpec> streamSpec = ReadStreamOption(options.stream);
    // A reference inside a movie is one of its subtitle streams.
    const bool referenceMovie =
        !options.reference.empty() &&
        (IsMovieName(options.reference) ||
         (streamSpec && streamSpec->kind == StreamKind::Subtitle && !streamSpec->index));
    if (streamSpec && !options.reference.empty() && !referenceMovie)
        throw UsageError("--stream goes with a MOVIE, or with a --reference movie");

    SubtitleDocument doc;
    std::string mended;
    OpenSubtitle(doc, options.input, streams.in, SubtitleTextsWanted::No,
                 options.mend ? &mended : nullptr);
    PrintMended(options.output == kStandardStream ? streams.err : streams.out, mended);
    if (doc.SubtitleCount == 0)
        throw VelkarError("The Subtitle file holds no subtitles");

    double frameRate = options.frameRate.value_or(kDefaultFrameRate);
    // The copy on standard output leaves the report to the error stream.
    std::ostream& out = options.output == kStandardStream ? streams.err : streams.out;
    SpeechMask speech;
    if (!options.movie.empty()) {
        const StreamFacts chosen =
            ChooseStream(ProbeStreamsInModule(options.movie), options.movie, streamSpec,
                         StreamKind::Sound, LanguageOfFileName(options.input, options.movie));
        out << "listening to " << DescribeStream(chosen) << '\n';
        const SpeechCache cache(SpeechCache::DefaultDirectory());
        bool cached = false;
        std::optional<MovieSpeech> heard = SpeechThroughCache(
            options.movie, chosen.index, options.noCache ? nullptr : &cache,
            [&] {
                TerminalProgress progress;
                return DetectMovieSpeechInModule(options.movie, chosen.index, progress);
            },
            &cached);
        if (cached)
            out << "speech of the movie: from the cache (" << cache.directory().string() << ")\n";
        speech = std::move(heard->speech); // never cancelled from here
        if (!options.frameRate && heard->frameRate > 0)
            frameRate = heard->frameRate;
    } else if (referenceMovie) {
        const StreamFacts chosen = ChooseStream(
            ProbeStreamsInModule(options.reference), options.reference, streamSpec,
            StreamKind::Subtitle, LanguageOfFileName(options.input, options.reference));
        out << "reference: " << DescribeStream(chosen) << '\n';
        const std::vector<Interval> cues =
            SubtitleTrackCuesInModule(options.reference, chosen.index);
        double last = 0;
        for (const Interval& cue : cues)
            last = std::max(last, cue.end);
        if (cues.empty())
            throw VelkarError("Stream " + std::to_string(chosen.index) + " of " +
                              options.reference + " holds no subtitles");
        speech = MaskOfIntervals(cues, std::min(last, 86400000.0));
    } else {
        SubtitleDocument reference;
        OpenSubtitle(reference, options.reference, streams.in, SubtitleTextsWanted::No);
        speech = ReferenceSpeech(reference, frameRate);
    }

    const FittedDocument fitted = FitDocument(doc, speech, frameRate, options.split);
    const FitResult& fit = fitted.fit;
    const Judgement& judgement = fitted.judgement;

    char score[32];
    std::snprintf(score, sizeof score, "%.1f", fit.score);
    const LinearMap& whole = fit.pieces.front().map;
    if (fit.pieces.size() == 1) {
        out << "map: stretch " << Stretch(whole.stretch) << ", offset " << Seconds(whole.offsetMs)
            << ", score " << score << ", on speech " << Percent(judgement.speechShares.front())
            << '\n';
    } else {
        out << "map in " << fit.pieces.size() << " pieces, score " << score << '\n';
        for (std::size_t k = 0; k < fit.pieces.size(); ++k) {
            const MapPiece& piece = fit.pieces[k];
            out << "  subtitles " << piece.first + 1 << "-" << piece.last + 1 << ": stretch "
                << Stretch(piece.map.stretch) << ", offset " << Seconds(piece.map.offsetMs)
                << ", on speech " << Percent(judgement.speechShares[k]) << '\n';
        }
    }
    if (judgement.verdict == Verdict::None) {
        out << "verdict: none (" << judgement.reason << ")\n";
        streams.err << PoorFitError(fit.score).what() << '\n';
        return kExitRefused;
    }
    const SubtitleFormat f = doc.SubtitleFormat;
    const std::size_t last = doc.SubtitleCount - 1u;
    const MappedTimes& times = fitted.times;
    out << "first subtitle 1: " << TimeToText(f, doc.start(0)) << " -> "
        << TimeToText(f, times.starts.front()) << '\n';
    out << "last subtitle " << last + 1 << ": " << TimeToText(f, doc.start(last)) << " -> "
        << TimeToText(f, times.starts.back()) << '\n';

    out << "verdict: " << VerdictName(judgement.verdict);
    if (!judgement.reason.empty())
        out << " (" << judgement.reason << ")";
    if (judgement.inPlace) {
        out << "; already in place, nothing written\n";
        return kExitInPlace;
    }
    const bool write = judgement.verdict == Verdict::Sure || options.force;
    if (judgement.verdict == Verdict::Unsure)
        out << (options.force ? "; written as --force asks"
                              : "; nothing written (--force writes it)");
    out << '\n';
    if (write && !options.output.empty())
        WriteOutput(streams, options.output, RetimedBytes(doc, fitted));
    return write ? 0 : kExitNotSure;
}

} // namespace

std::optional<StreamSpec> ReadStreamOption(const std::string& text) {
    if (text.empty())
        return std::nullopt;
    try {
        return ParseStreamSpec(text);
    } catch (const StreamSpecError& e) {
        throw UsageError(e.what());
    }
}

FittedDocument FitDocument(const SubtitleDocument& doc, const SpeechMask& speech, double frameRate,
                           bool split) {
    FittedDocument fitted;
    fitted.frameRate = frameRate;
    FitOptions fitOptions;
    fitOptions.split = split;
    const std::vector<Interval> spans = SubtitleIntervals(doc, frameRate);
    fitted.fit = FitToSpeech(spans, speech, fitOptions);
    fitted.judgement = JudgeFit(spans, speech, fitOptions, fitted.fit);
    if (fitted.judgement.verdict != Verdict::None) {
        fitted.times = MapTimes(doc, fitted.fit, frameRate);
        CheckTimingLines(doc, fitted.times.starts, fitted.times.ends, TimeSource::Sound);
    }
    return fitted;
}

std::string RetimedBytes(SubtitleDocument& doc, const FittedDocument& fitted) {
    Retime(doc, fitted.times);
    return SubtitleFileBytes(doc);
}

void AddAutosyncCommand(CLI::App& app, Action& action) {
    auto options = std::make_shared<AutosyncOptions>();
    auto* command = app.add_subcommand(
        "autosync", "Find a subtitle file's true times from a movie's sound (or from a correctly "
                    "timed subtitle file) and write a re-timed copy");
    command->add_option("SUBTITLE", options->input,
                        "Subtitle file to re-time (never written); - reads standard input");
    command->add_option("MOVIE", options->movie, "Movie whose speech the subtitles belong to");
    command->add_option("--reference", options->reference,
                        "A correctly timed subtitle file of the same film, in place of a movie");
    command->add_option("-o,--output", options->output,
                        "File to write the re-timed copy to; - writes it to standard output (and "
                        "the report to standard error)");
    command->add_flag("--split", options->split,
                      "Allow a few jumps (a film re-cut in places): a map in pieces");
    command->add_option("--stream", options->stream,
                        "Stream to listen to: an index as ffprobe numbers the file's streams (2), "
                        "the N-th sound stream from 0 (a:1) or the one in a language (a:fre, "
                        "a:fr); with --reference MOVIE, a subtitle stream (s:0, s:eng). Default: "
                        "the sound stream in the subtitle file's language when its name has a "
                        "language tag (Film.fr.srt), else the default one, else the first");
    command->add_option("--fps", options->frameRate,
                        "Frame rate of MicroDVD frame numbers (default: the movie's, else 25)");
    command->add_flag("--force", options->force,
                      "Write the copy also when the verdict is unsure (never when it is none)");
    command->add_option("--batch", options->batch.folders,
                        "Sync every movie's subtitles found in these folders (a dry run unless "
                        "--in-place or --out)");
    command->add_flag("--recursive", options->batch.recursive,
                      "--batch: look in every folder below too");
    command->add_flag("--in-place", options->batch.inPlace,
                      "--batch: replace each subtitle file that is re-timed, keeping its first "
                      "original as NAME.orig.EXT");
    command->add_option("--out", options->batch.out,
                        "--batch: write the re-timed copies into a mirror of the folders here");
    command->add_option("--jobs", options->batch.jobs,
                        "--batch: movies to work on at once (default 1)");
    command->add_option("--report", options->batch.report,
                        "--batch: write one JSON line per subtitle to this file");
    command->add_option("--shard", options->batch.shard,
                        "--batch: take only share I (0 to N-1) of N of the sorted pairs, for "
                        "running the same command on many machines");
    command->add_flag("--no-cache", options->noCache,
                      "Decode the movie's sound even when the speech found in it last time is "
                      "kept (in $XDG_CACHE_HOME/velkar), and keep nothing");
    AddMendFlag(*command, options->mend);
    command->footer(
        "Every fit gets a verdict: sure (written), unsure (written only with --force) or none "
        "(refused). A file whose fit moves no subtitle by more than 40 ms is already in place "
        "and is not written.\n"
        "Exit codes: 0 written (or sure, without -o), 1 an error, 2 a wrong command line, 3 "
        "already in place, 4 not sure (nothing written), 5 refused (the subtitles do not match "
        "the sound). With --batch: 0 when every subtitle was judged, 1 when one was damaged or "
        "failed.");
    command->callback([&action, options] {
        action = [options](const Streams& streams) { return Autosync(streams, *options); };
    });
}

} // namespace velkar::cli
