#pragma once
// The MicroDVD player's descriptor file (".mvd"): a small INI file naming a movie, its subtitle
// file and the subtitle language.

#include <random>
#include <string>
#include <string_view>

namespace velkar {

struct DescriptorFields {
    std::string Title;
    std::string ID;
    std::string MovieDir; // with its trailing separator
    std::string AviName;
    std::string SubDir; // with its trailing separator
    std::string SubFileName;
    std::string Short1 = "GR";
    std::string Long1 = "Greek";
};

// 8 characters, each an upper-case letter (A-Z) or a digit with one half chance each, the
// letter or digit then drawn uniformly.
std::string GenerateID(std::mt19937& random);
// As above, from a generator seeded afresh from the clock.
std::string GenerateID();

// The movie's file name less its last four characters: "Film.avi" gives "Film", "Film.mpeg4"
// gives "Film.m", a name of four characters or fewer gives "".
std::string MovieTitle(std::string_view fileName);

// The fields for a movie and a subtitle file given by full paths (either may be empty), with a
// fresh ID and the language "GR" / "Greek".
DescriptorFields DescriptorFor(const std::string& moviePath, const std::string& subtitlePath);

// The descriptor's text: the empty section "Micro DVD Ini File", then [MAIN], [MOVIE] and
// [SUBTITLES] with their keys in a fixed order; empty values as "key=".
std::string DescriptorText(const DescriptorFields& fields);

// Writes the descriptor to `path` with SafeWrite (document/SafeWrite.h), replacing any file
// there completely (a failure leaves the old file, never half a new one). Throws VelkarError
// "Unable to write to <path>: <reason>" ("... : Permission denied").
void WriteDescriptor(const std::string& path, const DescriptorFields& fields);

} // namespace velkar
