#include "autosync/SoundModule.h"

#include "autosync/SoundModuleAbi.h"
#include "document/Errors.h"

#include <dlfcn.h>

#include <filesystem>
#include <vector>

namespace velkar::autosync {

namespace {

// Where the module may stand: beside the running program (the build folder), in the library
// folder of an installed program, and where this build made it.
std::vector<std::filesystem::path> ModuleCandidates() {
    namespace fs = std::filesystem;
    std::vector<fs::path> candidates;
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        candidates.push_back(program.parent_path() / VELKAR_SOUND_MODULE_NAME);
        candidates.push_back(program.parent_path() / VELKAR_SOUND_MODULE_INSTALLED);
    }
    candidates.emplace_back(VELKAR_SOUND_MODULE_BUILT);
    return candidates;
}

void* FindModule() {
    std::string failure;
    for (const auto& candidate : ModuleCandidates()) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(candidate, ec))
            continue;
        void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            failure = ::dlerror();
            continue;
        }
        if (::dlsym(module, kVelkarSoundEntry))
            return module;
        failure = ::dlerror();
        ::dlclose(module);
    }
    throw VelkarError(
        "The movie's sound cannot be analysed: " +
        (failure.empty() ? std::string(VELKAR_SOUND_MODULE_NAME " not found") : failure));
}

// Loaded once, by the first caller of any thread; a loaded module stays loaded. A failure is
// tried again on the next call.
void* LoadModule() {
    static void* const module = FindModule();
    return module;
}

template <typename Entry> Entry LoadEntry(const char* name) {
    void* entry = ::dlsym(LoadModule(), name);
    if (!entry)
        throw VelkarError(std::string("The movie's sound cannot be analysed: ") + ::dlerror());
    return reinterpret_cast<Entry>(entry);
}

struct Outcome {
    AnalysisProgress* progress;
    std::optional<MovieSpeech> speech;
    std::optional<std::string> failure;
};

// The module's way back to `outcome`.
VelkarSoundCalls CallsFor(Outcome& outcome) {
    VelkarSoundCalls calls{};
    calls.context = &outcome;
    // Nothing may be thrown through the module's frames: a watcher that fails stops the run.
    calls.advanced = [](void* context, double fraction) {
        try {
            static_cast<Outcome*>(context)->progress->advanced(fraction);
        } catch (...) {
        }
    };
    calls.cancelled = [](void* context) {
        try {
            return static_cast<Outcome*>(context)->progress->cancelled() ? 1 : 0;
        } catch (...) {
            return 1;
        }
    };
    calls.found = [](void* context, const std::uint8_t* frames, std::size_t count, double rate) {
        auto& outcome = *static_cast<Outcome*>(context);
        outcome.speech.emplace();
        outcome.speech->speech.frames.assign(frames, frames + count);
        outcome.speech->frameRate = rate;
    };
    calls.failed = [](void* context, const char* message) {
        static_cast<Outcome*>(context)->failure = message;
    };
    return calls;
}

} // namespace

std::optional<MovieSpeech> DetectMovieSpeechInModule(const std::string& path, int stream,
                                                     AnalysisProgress& progress, unsigned jobs) {
    const auto detect = LoadEntry<VelkarDetectMovieSpeech>(kVelkarSoundEntry);
    Outcome outcome{&progress, std::nullopt, std::nullopt};
    const VelkarSoundCalls calls = CallsFor(outcome);
    detect(path.c_str(), stream, jobs, &calls);
    if (outcome.failure)
        throw VelkarError(*outcome.failure);
    return std::move(outcome.speech);
}

namespace {

struct StreamsOutcome {
    std::vector<StreamFacts> streams;
    std::vector<Interval> cues;
    std::optional<std::string> failure;
};

VelkarStreamCalls StreamCallsFor(StreamsOutcome& outcome) {
    VelkarStreamCalls calls{};
    calls.context = &outcome;
    calls.stream = [](void* context, int index, int kind, const char* language, int isDefault,
                      const char* codec, int textSubtitle) {
        StreamFacts facts;
        facts.index = index;
        facts.kind = kind == 1   ? StreamKind::Sound
                     : kind == 2 ? StreamKind::Subtitle
                                 : StreamKind::Other;
        facts.language = language;
        facts.isDefault = isDefault != 0;
        facts.codec = codec;
        facts.textSubtitle = textSubtitle != 0;
        static_cast<StreamsOutcome*>(context)->streams.push_back(std::move(facts));
    };
    calls.cue = [](void* context, double startMs, double endMs) {
        static_cast<StreamsOutcome*>(context)->cues.push_back(Interval{startMs, endMs});
    };
    calls.failed = [](void* context, const char* message) {
        static_cast<StreamsOutcome*>(context)->failure = message;
    };
    return calls;
}

} // namespace

std::vector<StreamFacts> ProbeStreamsInModule(const std::string& path) {
    const auto probe = LoadEntry<VelkarProbeStreams>(kVelkarProbeEntry);
    StreamsOutcome outcome;
    const VelkarStreamCalls calls = StreamCallsFor(outcome);
    probe(path.c_str(), &calls);
    if (outcome.failure)
        throw VelkarError(*outcome.failure);
    return std::move(outcome.streams);
}

std::vector<Interval> SubtitleTrackCuesInModule(const std::string& path, int stream) {
    const auto read = LoadEntry<VelkarReadSubtitleCues>(kVelkarCuesEntry);
    StreamsOutcome outcome;
    const VelkarStreamCalls calls = StreamCallsFor(outcome);
    read(path.c_str(), stream, &calls);
    if (outcome.failure)
        throw VelkarError(*outcome.failure);
    return std::move(outcome.cues);
}

} // namespace velkar::autosync
