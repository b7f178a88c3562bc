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

// Analyses sound stream `stream` (-1: the first) of the movie at `path`: calls `found` once, or
// `failed` once, or neither when cancelled.
void velkar_detect_movie_speech(const char* path, int stream, const VelkarSoundCalls* calls);

using VelkarDetectMovieSpeech = void (*)(const char*, int, const VelkarSoundCalls*);

inline constexpr const char* kVelkarSoundEntry = "velkar_detect_movie_speech";
}
