#pragma once
// The movie's speech for the command-line tool, found by the sound analysis module, which is
// loaded on first use (see SoundModuleAbi.h for why it is a module).

#include "autosync/MovieSpeech.h"
#include "autosync/SpeechMask.h"
#include "autosync/StreamChoice.h"

#include <optional>
#include <string>
#include <vector>

namespace velkar::autosync {

// As DetectMovieSpeech, through the module: throws VelkarError with the analysis' own message
// when it fails, or "The movie's sound cannot be analysed: <reason>" when the module is not
// found or does not load. `jobs`: the analyses running side by side, which share the cores.
std::optional<MovieSpeech> DetectMovieSpeechInModule(const std::string& path, int stream,
                                                     AnalysisProgress& progress, unsigned jobs = 1);

// As ProbeStreams and SubtitleTrackCues (MovieStreams.h), through the module; they throw
// VelkarError with the same messages.
std::vector<StreamFacts> ProbeStreamsInModule(const std::string& path);
std::vector<Interval> SubtitleTrackCuesInModule(const std::string& path, int stream);

} // namespace velkar::autosync
