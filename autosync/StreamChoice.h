#pragma once
// Which stream of a movie autosync listens to (or reads subtitles from): the user's --stream
// text, or else the subtitle file's language tag, matched against the streams the movie holds.
// Plain code on facts probed elsewhere (ProbeStreams), so the rules are tested without movies.

#include "document/Errors.h"

#include <optional>
#include <string>
#include <vector>

namespace velkar::autosync {

enum class StreamKind { Sound, Subtitle, Other };

// One stream of a movie, as the container describes it.
struct StreamFacts {
    int index = 0; // numbered as the container (and ffprobe) numbers them, from 0
    StreamKind kind = StreamKind::Other;
    std::string language;      // the container's tag, as written ("fre", "eng", "und"), or empty
    bool isDefault = false;    // flagged as the one to play
    std::string codec;         // FFmpeg's short name ("aac", "subrip"), or empty
    bool textSubtitle = false; // a subtitle stream of text (not pictures)
};

// A --stream text, read: a container index ("3"), or a kind ('a' sound, 's' subtitles) with
// the n-th stream of that kind from 0 ("a:1") or a language ("a:fre", "s:en", "a:pt-BR").
struct StreamSpec {
    std::optional<int> index; // "3"
    StreamKind kind = StreamKind::Sound;
    std::optional<int> ordinal; // "a:1"
    std::string language;       // "a:fre", lower case
};

// Reads `text`; throws StreamSpecError when it is none of the forms above.
StreamSpec ParseStreamSpec(const std::string& text);

// The ISO 639-2 codes of a language tag, lower case: {"fre", "fra"} for "fr", "fre", "fra" or
// "fr-CA" (the region is dropped); {"por"} for "pt-BR"; the tag itself for a three-letter code
// not in the table; empty for what is not a language tag ("forced", "sdh", "und", "").
std::vector<std::string> LanguageCodes(const std::string& tag);

// Whether two language tags name the same language ("fr" and "fre", "ger" and "deu").
bool SameLanguage(const std::string& a, const std::string& b);

// The language tag of a subtitle file's name: the last dot-separated tag before the extension
// that is a language of the table ("Film.fr.srt" -> "fr", "Film.pt-BR.forced.srt" -> "pt-BR");
// empty when it has none ("Film.srt", "Film.sdh.srt"). When the name starts with the stem of
// `moviePath`, only the tags after it count.
std::string LanguageOfFileName(const std::string& path, const std::string& moviePath = {});

// The stream chosen among `streams` of the movie `path` (which names it in messages):
// - with `spec` given, the stream it names; a bare index must be a stream of kind `want`;
// - else the first stream of kind `want` in language `subtitleLanguage` (when that is given
//   and one matches), else the first one flagged default, else the first one.
// Throws StreamChoiceError with the reason when no stream fits.
const StreamFacts& ChooseStream(const std::vector<StreamFacts>& streams, const std::string& path,
                                const std::optional<StreamSpec>& spec, StreamKind want,
                                const std::string& subtitleLanguage);

// How a chosen stream is named to the user: "stream 2 (sound, fre)", "stream 3 (subtitles)".
std::string DescribeStream(const StreamFacts& stream);

// "--stream <text> is not a stream: give an index (2), a:N or s:N (the N-th sound or subtitle
// stream, from 0), or a:LANGUAGE or s:LANGUAGE (a:fre, s:en)".
class StreamSpecError : public VelkarError {
  public:
    explicit StreamSpecError(const std::string& text);
};

// The reason no stream of a movie fits, e.g. "The movie <path> has no sound stream in
// language fre".
class StreamChoiceError : public VelkarError {
  public:
    using VelkarError::VelkarError;
};

} // namespace velkar::autosync
