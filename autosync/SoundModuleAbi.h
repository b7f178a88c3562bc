#pragma once
// The one entry of the sound analysis module (velkar-sound.so), which holds the movie decoding
// and the voice detector with their libraries. It is loaded only when a movie is analysed, so
// that the command-line tool starts without loading FFmpeg and its hundred-odd libraries. Only
// C types cross: the module and the tool may each carry their own C++ runtime.

#include <cstddef>
#include <cstdint>

extern "C" {

// What the module calls back into its caller while and after it analyses a movie. `context` is
// handed back unchanged; none of the calls may throw.
struct VelkarSoundCalls {
    void* context;
    void (*advanced)(void* context, double fraction);
    int (*cancelled)(void* context); // non-zero once the analysis should stop
    // The speech found: one byte per 10 ms frame (1: speech), and the picture's frame rate.
    void (*found)(void* context, const std::uint8_t* frames, std::size_t count, double frameRate);
    // The analysis failed with `message`, the text shown to the user.
    void (*failed)(void* context, const char* message);
};

// Analyses sound stream `stream` (-1: the first) of the movie at `path`, sharing the machine's
// cores with `jobs` analyses in all: calls `found` once, or `failed` once, or neither when
// cancelled.
void velkar_detect_movie_speech_shared(const char* path, int stream, unsigned jobs,
                                       const VelkarSoundCalls* calls);

using VelkarDetectMovieSpeech = void (*)(const char*, int, unsigned, const VelkarSoundCalls*);

inline constexpr const char* kVelkarSoundEntry = "velkar_detect_movie_speech_shared";

// What the module hands back about a movie's streams and a subtitle stream's cues. Unused calls
// may be null; none of them may throw.
struct VelkarStreamCalls {
    void* context;
    // One stream: its index in the container; kind 1 sound, 2 subtitles, 0 anything else;
    // language and codec as tagged ("" when not); non-zero flags for default and text subtitles.
    void (*stream)(void* context, int index, int kind, const char* language, int isDefault,
                   const char* codec, int textSubtitle);
    // One cue of a subtitle stream, in ms from the container's start.
    void (*cue)(void* context, double startMs, double endMs);
    void (*failed)(void* context, const char* message);
};

// Calls `stream` for every stream of the movie at `path`, in order, or `failed` once.
void velkar_probe_streams(const char* path, const VelkarStreamCalls* calls);
// Calls `cue` for every cue of text subtitle stream `stream` of the movie at `path`, or
// `failed` once.
void velkar_read_subtitle_cues(const char* path, int stream, const VelkarStreamCalls* calls);

using VelkarProbeStreams = void (*)(const char*, const VelkarStreamCalls*);
using VelkarReadSubtitleCues = void (*)(const char*, int, const VelkarStreamCalls*);

inline constexpr const char* kVelkarProbeEntry = "velkar_probe_streams";
inline constexpr const char* kVelkarCuesEntry = "velkar_read_subtitle_cues";
}
