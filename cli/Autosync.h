#pragma once
// The part of autosync that one file and a folder of films share: a subtitle document fitted to
// speech, judged, and its re-timed bytes.

#include "autosync/Fit.h"
#include "autosync/StreamChoice.h"
#include "autosync/SubtitleSpeech.h"
#include "autosync/Verdict.h"
#include "document/SubtitleDocument.h"

#include <string>

namespace velkar::cli {

// Exit codes of autosync beside 0 (written, or sure when nothing is to be written), 1 (an
// error) and 2 (a wrong command line).
inline constexpr int kExitInPlace = 3; // already in place: nothing written
inline constexpr int kExitNotSure = 4; // unsure: nothing written without --force
inline constexpr int kExitRefused = 5; // none: the subtitles do not match the sound

struct FittedDocument {
    autosync::FitResult fit;
    autosync::Judgement judgement;
    double frameRate = autosync::kDefaultFrameRate;
    // The new times, when the verdict is not None (they passed CheckTimingLines).
    autosync::MappedTimes times;
};

// Fits the opened document `doc` to `speech` and judges the fit. Throws what CheckTimingLines
// throws when the new times cannot be written.
FittedDocument FitDocument(const SubtitleDocument& doc, const autosync::SpeechMask& speech,
                           double frameRate, bool split);

// The --stream text read; throws UsageError with StreamSpecError's text when it reads as no
// stream.
std::optional<autosync::StreamSpec> ReadStreamOption(const std::string& text);

// `doc` re-timed to `fitted`'s times, as the bytes of its file.
std::string RetimedBytes(SubtitleDocument& doc, const FittedDocument& fitted);

} // namespace velkar::cli

#include <optional>
#include <vector>

namespace velkar::cli {

struct Streams;

// autosync --batch: every subtitle of the movies found in `folders` fitted to its movie's
// sound (decoded once per movie), judged, and written (--in-place, --out) or only reported.
struct BatchOptions {
    std::vector<std::string> folders;
    bool recursive = false;
    bool inPlace = false;
    std::string out;
    unsigned jobs = 1;
    std::string report;
    std::string shard; // "I/N", empty for all
    bool mend = false;
    bool noCache = false;
    bool split = false;
    bool force = false;
    std::optional<autosync::StreamSpec> stream; // --stream, read
    std::optional<double> frameRate;
};

// Runs the batch; 0 when every subtitle was judged, 1 when one was damaged or failed. Throws
// UsageError for options that do not go together.
int AutosyncBatch(const Streams& streams, const BatchOptions& options);

} // namespace velkar::cli
