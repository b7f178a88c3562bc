#pragma once
// What streams a movie holds, and the cues of a text subtitle stream inside it, read with
// FFmpeg's libraries (in the sound analysis module for the command-line tool).

#include "autosync/SpeechMask.h"
#include "autosync/StreamChoice.h"

#include <string>
#include <vector>

namespace velkar::autosync {

// Every stream of the movie at `path`, in the container's order. Throws FileOpenError when
// the file does not open as a movie.
std::vector<StreamFacts> ProbeStreams(const std::string& path);

// The times of the cues of subtitle stream `stream` of the movie at `path`, in ms from the
// container's start (as DecodeSound's sample 0), in the order stored; a cue without an end
// lasts until the next one starts. Cues that hold nothing are left out. Throws FileOpenError
// when the file does not open, NotTextSubtitleStreamError when `stream` is not a subtitle
// stream of text (SubRip, ASS, WebVTT, mov_text, ...), SoundDecodeError's kin
// SubtitleDecodeError when its codec cannot be decoded here.
std::vector<Interval> SubtitleTrackCues(const std::string& path, int stream);

// "Stream <n> of <path> is not a subtitle stream of text".
class NotTextSubtitleStreamError : public VelkarError {
  public:
    NotTextSubtitleStreamError(const std::string& path, int stream);
};

// "The subtitles of stream <n> of <path> cannot be decoded".
class SubtitleDecodeError : public VelkarError {
  public:
    SubtitleDecodeError(const std::string& path, int stream);
};

} // namespace velkar::autosync
