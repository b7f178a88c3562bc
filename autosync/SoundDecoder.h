#pragma once
// A movie's sound as 16 kHz mono 16-bit samples, decoded with FFmpeg's libraries and handed on
// in pieces, so that a film of any length takes bounded memory.

#include "document/Errors.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace velkar::autosync {

inline constexpr int kSampleRate = 16000; // samples per second of the decoded sound

// What decoding learnt about the movie.
struct SoundFacts {
    int stream = -1;      // the stream decoded, numbered as the container numbers them
    double lengthMs = 0;  // the container's length, 0 when it does not say
    double frameRate = 0; // frames per second of the first picture stream, 0 for none
};

// Receives the samples in order; sample 0 is the movie's time 0 (the container's start).
using SampleSink = std::function<void(std::span<const std::int16_t> samples)>;
// Told how far decoding has come (0 .. 1) about every second of sound; returns false to stop.
using KeepGoing = std::function<bool(double fraction)>;

// Decodes stream `stream` of the movie at `path` (-1: its first sound stream), down-mixed to
// one channel and resampled to 16 kHz, into `sink`. Sound that starts after the container's
// time 0 is preceded by silence, sound before it is dropped. Packets that do not decode are
// skipped. Returns false when `keepGoing` stopped it, true when the whole sound went through.
// Throws FileOpenError when the file does not open as a movie, NoSoundError when it has no
// sound stream, NotSoundStreamError when `stream` names none, SoundDecodeError when the
// sound's codec cannot be decoded here.
bool DecodeSound(const std::string& path, int stream, const SampleSink& sink,
                 const KeepGoing& keepGoing, SoundFacts& facts);

// "The file <path> holds no sound".
class NoSoundError : public VelkarError {
  public:
    explicit NoSoundError(const std::string& path);
};

// "Stream <n> of <path> is not a sound stream".
class NotSoundStreamError : public VelkarError {
  public:
    NotSoundStreamError(const std::string& path, int stream);
};

// "The sound of <path> cannot be decoded".
class SoundDecodeError : public VelkarError {
  public:
    explicit SoundDecodeError(const std::string& path);
};

} // namespace velkar::autosync
