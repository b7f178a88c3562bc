// Which stream autosync takes: --stream as written, the subtitle file's language tag, the
// default flag, and the messages when nothing fits.

#include "autosync/StreamChoice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace velkar::autosync {
namespace {

using testing::ThrowsMessage;

StreamFacts Sound(int index, std::string language, bool isDefault = false) {
    return {index, StreamKind::Sound, std::move(language), isDefault, "aac", false};
}
StreamFacts Text(int index, std::string language) {
    return {index, StreamKind::Subtitle, std::move(language), false, "subrip", true};
}

// A film as such files come: a picture, English (default), French and German tagged "deu",
// and two subtitle streams.
const std::vector<StreamFacts> kFilm = {
    {0, StreamKind::Other, "", false, "h264", false},
    Sound(1, "eng", true),
    Sound(2, "fre"),
    Sound(3, "deu"),
    Text(4, "eng"),
    Text(5, "por"),
};

struct Choice {
    const char* spec; // --stream, "" when not given
    StreamKind want;
    const char* subtitle; // the subtitle file's name
    int chosen;
};

void PrintTo(const Choice& c, std::ostream* os) {
    *os << "--stream '" << c.spec << "' for " << c.subtitle;
}

class StreamChoiceTable : public testing::TestWithParam<Choice> {};

TEST_P(StreamChoiceTable, TakesTheStreamAskedForOrTheSubtitlesLanguage) {
    const Choice& c = GetParam();
    const std::optional<StreamSpec> spec =
        *c.spec ? std::optional(ParseStreamSpec(c.spec)) : std::nullopt;
    EXPECT_EQ(ChooseStream(kFilm, "film.mkv", spec, c.want, LanguageOfFileName(c.subtitle)).index,
              c.chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Film, StreamChoiceTable,
    testing::Values(
        // No --stream: the subtitle's language tag in either ISO 639 form, else the default.
        Choice{"", StreamKind::Sound, "Film.srt", 1},
        Choice{"", StreamKind::Sound, "Film.fr.srt", 2},
        Choice{"", StreamKind::Sound, "Film.FRA.srt", 2},
        Choice{"", StreamKind::Sound, "Film.fr-CA.forced.srt", 2},
        Choice{"", StreamKind::Sound, "Film.de.sdh.srt", 3},
        Choice{"", StreamKind::Sound, "Film.ger.srt", 3},
        // A language the film has no sound in falls back to the default.
        Choice{"", StreamKind::Sound, "Film.it.srt", 1},
        Choice{"", StreamKind::Sound, "Film.sdh.srt", 1},
        // --stream wins over the tag.
        Choice{"a:0", StreamKind::Sound, "Film.fr.srt", 1},
        Choice{"a:2", StreamKind::Sound, "Film.srt", 3},
        Choice{"3", StreamKind::Sound, "Film.en.srt", 3},
        Choice{"a:fre", StreamKind::Sound, "Film.en.srt", 2},
        Choice{"A:FR", StreamKind::Sound, "Film.srt", 2},
        Choice{"a:ger", StreamKind::Sound, "Film.srt", 3},
        // Subtitle streams for a reference inside the movie.
        Choice{"s:0", StreamKind::Subtitle, "Film.srt", 4},
        Choice{"s:1", StreamKind::Subtitle, "Film.srt", 5},
        Choice{"s:pt-BR", StreamKind::Subtitle, "Film.srt", 5},
        Choice{"", StreamKind::Subtitle, "Film.pt-BR.srt", 5},
        Choice{"", StreamKind::Subtitle, "Film.srt", 4},
        Choice{"5", StreamKind::Subtitle, "Film.srt", 5}));

TEST(StreamChoice, TheDefaultFlagElseTheFirstOfTheKind) {
    const std::vector<StreamFacts> flagged = {Sound(0, "fre"), Text(1, "eng"),
                                              Sound(2, "eng", true)};
    EXPECT_EQ(ChooseStream(flagged, "f.mkv", std::nullopt, StreamKind::Sound, "").index, 2);
    EXPECT_EQ(ChooseStream(flagged, "f.mkv", std::nullopt, StreamKind::Sound, "fr").index, 0);
    EXPECT_EQ(ChooseStream(flagged, "f.mkv", std::nullopt, StreamKind::Sound, "it").index, 2);
    const std::vector<StreamFacts> film = {Text(0, "eng"), Sound(1, "und"), Sound(2, "")};
    EXPECT_EQ(ChooseStream(film, "f.mkv", std::nullopt, StreamKind::Sound, "").index, 1);
    EXPECT_EQ(ChooseStream(film, "f.mkv", std::nullopt, StreamKind::Sound, "fr").index, 1);
    // An untagged stream is in no language, "und" included.
    EXPECT_EQ(ChooseStream(film, "f.mkv", std::nullopt, StreamKind::Sound, "und").index, 1);
}

TEST(StreamChoice, SaysWhyNoStreamFits) {
    const auto choose = [](const char* spec, StreamKind want,
                           const std::vector<StreamFacts>& streams = kFilm) {
        return [=] { ChooseStream(streams, "film.mkv", ParseStreamSpec(spec), want, ""); };
    };
    using E = StreamChoiceError;
    EXPECT_THAT(choose("a:3", StreamKind::Sound),
                ThrowsMessage<E>("The movie film.mkv has 3 sound streams: there is no sound "
                                 "stream 3 (counted from 0)"));
    EXPECT_THAT(choose("a:jpn", StreamKind::Sound),
                ThrowsMessage<E>("The movie film.mkv has no sound stream in language jpn"));
    EXPECT_THAT(choose("4", StreamKind::Sound),
                ThrowsMessage<E>("Stream 4 of film.mkv is not a sound stream"));
    EXPECT_THAT(choose("9", StreamKind::Sound),
                ThrowsMessage<E>("The movie film.mkv has no stream 9"));
    EXPECT_THAT(choose("s:0", StreamKind::Sound),
                ThrowsMessage<E>("Here --stream takes a sound stream (a:...)"));
    EXPECT_THAT(choose("a:0", StreamKind::Subtitle),
                ThrowsMessage<E>("Here --stream takes a subtitle stream (s:...)"));
    EXPECT_THAT(choose("a:0", StreamKind::Sound, {kFilm[0]}),
                ThrowsMessage<E>("The file film.mkv holds no sound"));
    EXPECT_THAT(choose("s:0", StreamKind::Subtitle, {kFilm[1]}),
                ThrowsMessage<E>("The movie film.mkv has no subtitle stream"));
}

TEST(StreamSpec, TextsThatNameNoStream) {
    for (const char* text : {"", "a", "a:", "x:1", "a:-1", "-1", "a:forced", "s:und", "1.5",
                             "a:1:2", "a:zz", "9999999"}) {
        SCOPED_TRACE(text);
        EXPECT_THAT([&] { ParseStreamSpec(text); },
                    ThrowsMessage<StreamSpecError>(
                        std::string("--stream ") + text +
                        " is not a stream: give an index (2), a:N or s:N (the N-th sound or "
                        "subtitle stream, from 0), or a:LANGUAGE or s:LANGUAGE (a:fre, s:en)"));
    }
}

TEST(LanguageTags, TwoLetterCodesMeetBothThreeLetterForms) {
    struct Same {
        const char* a;
        const char* b;
        bool same;
    };
    for (const Same& s :
         {Same{"fr", "fre", true}, Same{"fr", "fra", true}, Same{"fre", "fra", true},
          Same{"de", "ger", true}, Same{"de", "deu", true}, Same{"pt-BR", "por", true},
          Same{"zh_Hant", "chi", true}, Same{"EN", "eng", true}, Same{"nl", "dut", true},
          Same{"fr", "eng", false}, Same{"und", "und", false}, Same{"", "", false},
          Same{"forced", "forced", false}, Same{"tlh", "tlh", true}, Same{"no", "nb", false}}) {
        SCOPED_TRACE(std::string(s.a) + " " + s.b);
        EXPECT_EQ(SameLanguage(s.a, s.b), s.same);
        EXPECT_EQ(SameLanguage(s.b, s.a), s.same);
    }
}

TEST(LanguageTags, OfSubtitleFileNames) {
    struct Name {
        const char* subtitle;
        const char* movie;
        const char* language;
    };
    for (const Name& n :
         {Name{"Film.fr.srt", "", "fr"}, Name{"Film.srt", "", ""}, Name{"dir.en/Film.srt", "", ""},
          Name{"Film.pt-BR.forced.srt", "", "pt-BR"}, Name{"Film.sdh.sub", "", ""},
          Name{"Film.eng.sdh.ass", "", "eng"},
          Name{"The.Day.2019.srt", "", ""}, // words of a title are no tag
          Name{"It.srt", "It.mkv", ""}, Name{"It.de.srt", "It.mkv", "de"},
          Name{"it.DE.srt", "It.mkv", "DE"}, Name{"Film.It.srt", "", "It"}}) {
        SCOPED_TRACE(n.subtitle);
        EXPECT_EQ(LanguageOfFileName(n.subtitle, n.movie), n.language);
    }
}

TEST(StreamChoice, DescribesTheStreamForTheReport) {
    EXPECT_EQ(DescribeStream(Sound(2, "fre")), "stream 2 (sound, fre)");
    EXPECT_EQ(DescribeStream(Sound(1, "und")), "stream 1 (sound)");
    EXPECT_EQ(DescribeStream(Text(3, "")), "stream 3 (subtitles)");
}

} // namespace
} // namespace velkar::autosync
