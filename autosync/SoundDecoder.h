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

// How a movie's sound is decoded beside the thread that takes the samples.
struct DecodePlan {
    // Threads decoding beside the caller's. With two or more, a long movie's sound is cut in
    // time ranges decoded side by side and handed on in order.
    unsigned decoders = 1;
    double rangeSeconds = 120;    // the length of each range
    double shortestSeconds = 600; // shorter movies are decoded from start to end by one thread
    double prerollSeconds = 1;    // decoded before each range and dropped, so the codec settles

    // The machine's cores shared among `jobs` analyses running side by side (one at least).
    static DecodePlan ForJobs(unsigned jobs);
};

// As DecodeSound, with the decoding done on other threads as `plan` says, while `sink` and
// `keepGoing` are called on the caller's thread, in order. Each range is sought a little before
// its start, its frames placed where decoding from the start places them and cut at its
// samples: where the codec's frames are all one length (AAC, MP3, AC-3) the sound is
// DecodeSound's sample for sample; otherwise (Opus, Vorbis) a range may lie up to a tick of the
// container's clock off (a millisecond in Matroska). A movie that cannot be sought is decoded
// whole. At most about 16 MiB of sound waits to be taken.
bool DecodeSoundAside(const std::string& path, int stream, const SampleSink& sink,
                      const KeepGoing& keepGoing, SoundFacts& facts, const DecodePlan& plan);

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
