// The sound analysis module's entry: runs the detection and hands back plain bytes or the
// failure's text, so no exception and no C++ object leaves the module.
#include "autosync/MovieSpeech.h"
#include "autosync/MovieStreams.h"
#include "autosync/SoundModuleAbi.h"

#include <exception>

namespace {

using velkar::autosync::AnalysisProgress;

class CallerProgress final : public AnalysisProgress {
  public:
    explicit CallerProgress(const VelkarSoundCalls& calls) : m_calls(calls) {}
    void advanced(double fraction) override { m_calls.advanced(m_calls.context, fraction); }
    bool cancelled() const override { return m_calls.cancelled(m_calls.context) != 0; }

  private:
    const VelkarSoundCalls& m_calls;
};

} // namespace

extern "C" __attribute__((visibility("default"))) void
velkar_detect_movie_speech_shared(const char* path, int stream, unsigned jobs,
                                  const VelkarSoundCalls* calls) {
    try {
        using velkar::autosync::DecodePlan;
        CallerProgress progress(*calls);
        const auto heard =
            velkar::autosync::DetectMovieSpeech(path, stream, progress, DecodePlan::ForJobs(jobs));
        if (heard)
            calls->found(calls->context, heard->speech.frames.data(), heard->speech.frames.size(),
                         heard->frameRate);
    } catch (const std::exception& e) {
        calls->failed(calls->context, e.what());
    } catch (...) {
        calls->failed(calls->context, "The movie's sound cannot be analysed");
    }
}

extern "C" __attribute__((visibility("default"))) void
velkar_probe_streams(const char* path, const VelkarStreamCalls* calls) {
    try {
        for (const auto& s : velkar::autosync::ProbeStreams(path)) {
            using velkar::autosync::StreamKind;
            const int kind = s.kind == StreamKind::Sound      ? 1
                             : s.kind == StreamKind::Subtitle ? 2
                                                              : 0;
            calls->stream(calls->context, s.index, kind, s.language.c_str(), s.isDefault ? 1 : 0,
                          s.codec.c_str(), s.textSubtitle ? 1 : 0);
        }
    } catch (const std::exception& e) {
        calls->failed(calls->context, e.what());
    } catch (...) {
        calls->failed(calls->context, "The movie's streams cannot be read");
    }
}

extern "C" __attribute__((visibility("default"))) void
velkar_read_subtitle_cues(const char* path, int stream, const VelkarStreamCalls* calls) {
    try {
        for (const auto& cue : velkar::autosync::SubtitleTrackCues(path, stream))
            calls->cue(calls->context, cue.start, cue.end);
    } catch (const std::exception& e) {
        calls->failed(calls->context, e.what());
    } catch (...) {
        calls->failed(calls->context, "The movie's subtitles cannot be read");
    }
}
