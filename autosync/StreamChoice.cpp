#include "autosync/StreamChoice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace velkar::autosync {

namespace {

// ISO 639-1 codes with their ISO 639-2 bibliographic and terminology codes (the same where
// the two agree). Containers written by FFmpeg and MKVToolNix tag streams with either.
struct Language {
    const char* two;
    const char* bibliographic;
    const char* terminology;
};
constexpr std::array kLanguages = {
    Language{"af", "afr", "afr"}, Language{"am", "amh", "amh"},  Language{"ar", "ara", "ara"},
    Language{"az", "aze", "aze"}, Language{"be", "bel", "bel"},  Language{"bg", "bul", "bul"},
    Language{"bn", "ben", "ben"}, Language{"bo", "tib", "bod"},  Language{"bs", "bos", "bos"},
    Language{"ca", "cat", "cat"}, Language{"cs", "cze", "ces"},  Language{"cy", "wel", "cym"},
    Language{"da", "dan", "dan"}, Language{"de", "ger", "deu"},  Language{"el", "gre", "ell"},
    Language{"en", "eng", "eng"}, Language{"eo", "epo", "epo"},  Language{"es", "spa", "spa"},
    Language{"et", "est", "est"}, Language{"eu", "baq", "eus"},  Language{"fa", "per", "fas"},
    Language{"fi", "fin", "fin"}, Language{"fil", "fil", "fil"}, Language{"fo", "fao", "fao"},
    Language{"fr", "fre", "fra"}, Language{"ga", "gle", "gle"},  Language{"gl", "glg", "glg"},
    Language{"gu", "guj", "guj"}, Language{"he", "heb", "heb"},  Language{"hi", "hin", "hin"},
    Language{"hr", "hrv", "hrv"}, Language{"hu", "hun", "hun"},  Language{"hy", "arm", "hye"},
    Language{"id", "ind", "ind"}, Language{"is", "ice", "isl"},  Language{"it", "ita", "ita"},
    Language{"ja", "jpn", "jpn"}, Language{"ka", "geo", "kat"},  Language{"kk", "kaz", "kaz"},
    Language{"km", "khm", "khm"}, Language{"kn", "kan", "kan"},  Language{"ko", "kor", "kor"},
    Language{"ku", "kur", "kur"}, Language{"la", "lat", "lat"},  Language{"lb", "ltz", "ltz"},
    Language{"lo", "lao", "lao"}, Language{"lt", "lit", "lit"},  Language{"lv", "lav", "lav"},
    Language{"mk", "mac", "mkd"}, Language{"ml", "mal", "mal"},  Language{"mn", "mon", "mon"},
    Language{"mr", "mar", "mar"}, Language{"ms", "may", "msa"},  Language{"mt", "mlt", "mlt"},
    Language{"my", "bur", "mya"}, Language{"nb", "nob", "nob"},  Language{"ne", "nep", "nep"},
    Language{"nl", "dut", "nld"}, Language{"nn", "nno", "nno"},  Language{"no", "nor", "nor"},
    Language{"pa", "pan", "pan"}, Language{"pl", "pol", "pol"},  Language{"ps", "pus", "pus"},
    Language{"pt", "por", "por"}, Language{"ro", "rum", "ron"},  Language{"ru", "rus", "rus"},
    Language{"si", "sin", "sin"}, Language{"sk", "slo", "slk"},  Language{"sl", "slv", "slv"},
    Language{"so", "som", "som"}, Language{"sq", "alb", "sqi"},  Language{"sr", "srp", "srp"},
    Language{"sv", "swe", "swe"}, Language{"sw", "swa", "swa"},  Language{"ta", "tam", "tam"},
    Language{"te", "tel", "tel"}, Language{"th", "tha", "tha"},  Language{"tl", "tgl", "tgl"},
    Language{"tr", "tur", "tur"}, Language{"uk", "ukr", "ukr"},  Language{"ur", "urd", "urd"},
    Language{"uz", "uzb", "uzb"}, Language{"vi", "vie", "vie"},  Language{"yi", "yid", "yid"},
    Language{"zh", "chi", "zho"}, Language{"zu", "zul", "zul"},
};

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool AllLetters(const std::string& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalpha(static_cast<unsigned char>(c)) != 0;
    });
}

bool AllDigits(const std::string& text) {
    return !text.empty() && text.size() <= 6 && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

const char* KindName(StreamKind kind) {
    switch (kind) {
    case StreamKind::Sound:
        return "sound";
    case StreamKind::Subtitle:
        return "subtitle";
    case StreamKind::Other:
        break;
    }
    return "other";
}

} // namespace

StreamSpecError::StreamSpecError(const std::string& text)
    : VelkarError("--stream " + text +
                  " is not a stream: give an index (2), a:N or s:N (the N-th sound or subtitle "
                  "stream, from 0), or a:LANGUAGE or s:LANGUAGE (a:fre, s:en)") {}

StreamSpec ParseStreamSpec(const std::string& text) {
    StreamSpec wanted;
    if (AllDigits(text)) {
        wanted.index = std::stoi(text);
        return wanted;
    }
    if (text.size() < 3 || text[1] != ':')
        throw StreamSpecError(text);
    const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    if (kind == 'a')
        wanted.kind = StreamKind::Sound;
    else if (kind == 's')
        wanted.kind = StreamKind::Subtitle;
    else
        throw StreamSpecError(text);
    const std::string rest = text.substr(2);
    if (AllDigits(rest))
        wanted.ordinal = std::stoi(rest);
    else if (!LanguageCodes(rest).empty())
        wanted.language = Lower(rest);
    else
        throw StreamSpecError(text);
    return wanted;
}

std::vector<std::string> LanguageCodes(const std::string& tag) {
    std::string code = Lower(tag);
    // A region or script after the language ("pt-BR", "zh_Hant") does not change the stream
    // tags it matches: containers carry the language alone.
    if (const auto cut = code.find_first_of("-_"); cut != std::string::npos) {
        const std::string region = code.substr(cut + 1);
        if (!AllLetters(region) && !AllDigits(region))
            return {};
        code.resize(cut);
    }
    if (!AllLetters(code) || code.size() < 2 || code.size() > 3)
        return {};
    for (const Language& l : kLanguages)
        if (code == l.two || code == l.bibliographic || code == l.terminology) {
            if (std::string(l.bibliographic) == l.terminology)
                return {l.bibliographic};
            return {l.bibliographic, l.terminology};
        }
    // Three letters not in the table may still be a language both sides spell alike; "und"
    // (undetermined) and the reserved codes never match anything, nor do unknown two-letter
    // words (which are as likely tags like "cc").
    if (code.size() == 3 && code != "und" && code != "mul" && code != "zxx" && code != "mis" &&
        code != "sdh")
        return {code};
    return {};
}

bool SameLanguage(const std::string& a, const std::string& b) {
    const std::vector<std::string> x = LanguageCodes(a);
    const std::vector<std::string> y = LanguageCodes(b);
    return std::any_of(x.begin(), x.end(), [&](const std::string& code) {
        return std::find(y.begin(), y.end(), code) != y.end();
    });
}

std::string LanguageOfFileName(const std::string& path, const std::string& moviePath) {
    namespace fs = std::filesystem;
    std::string stem = fs::path(path).stem().string();
    // Only the tags after the movie's name count: "It.2017.srt" beside "It.2017.mkv" has none.
    const std::string movieStem = fs::path(moviePath).stem().string();
    if (!movieStem.empty() && stem.size() > movieStem.size() &&
        Lower(stem.substr(0, movieStem.size() + 1)) == Lower(movieStem + "."))
        stem = stem.substr(movieStem.size());
    std::vector<std::string> tags; // from the last
    for (std::size_t at = stem.rfind('.'); at != std::string::npos; at = stem.rfind('.')) {
        tags.push_back(stem.substr(at + 1));
        stem.resize(at);
    }
    // The language nearest the extension wins; a title's words are no tags, so only the
    // languages of the table count here.
    for (const std::string& tag : tags) {
        const std::vector<std::string> codes = LanguageCodes(tag);
        if (!codes.empty() &&
            std::any_of(kLanguages.begin(), kLanguages.end(),
                        [&](const Language& l) { return codes.front() == l.bibliographic; }))
            return tag;
    }
    return {};
}

const StreamFacts& ChooseStream(const std::vector<StreamFacts>& streams, const std::string& path,
                                const std::optional<StreamSpec>& spec, StreamKind want,
                                const std::string& subtitleLanguage) {
    const std::string kindName = KindName(want);
    if (spec && spec->index) {
        const auto it = std::find_if(streams.begin(), streams.end(),
                                     [&](const StreamFacts& s) { return s.index == *spec->index; });
        if (it == streams.end())
            throw StreamChoiceError("The movie " + path + " has no stream " +
                                    std::to_string(*spec->index));
        if (it->kind != want)
            throw StreamChoiceError("Stream " + std::to_string(*spec->index) + " of " + path +
                                    " is not a " + kindName + " stream");
        return *it;
    }
    const StreamKind kind = spec ? spec->kind : want;
    if (kind != want)
        throw StreamChoiceError(std::string("Here --stream takes a ") + kindName + " stream (" +
                                (want == StreamKind::Sound ? "a:" : "s:") + "...)");
    std::vector<const StreamFacts*> ofKind;
    for (const StreamFacts& s : streams)
        if (s.kind == kind)
            ofKind.push_back(&s);
    if (ofKind.empty())
        throw StreamChoiceError(want == StreamKind::Sound
                                    ? "The file " + path + " holds no sound"
                                    : "The movie " + path + " has no subtitle stream");
    if (spec && spec->ordinal) {
        if (static_cast<std::size_t>(*spec->ordinal) >= ofKind.size())
            throw StreamChoiceError("The movie " + path + " has " + std::to_string(ofKind.size()) +
                                    " " + kindName + " stream" + (ofKind.size() == 1 ? "" : "s") +
                                    ": there is no " + kindName + " stream " +
                                    std::to_string(*spec->ordinal) + " (counted from 0)");
        return *ofKind[static_cast<std::size_t>(*spec->ordinal)];
    }
    const auto inLanguage = [&](const std::string& language) {
        return std::find_if(ofKind.begin(), ofKind.end(), [&](const StreamFacts* s) {
            return SameLanguage(s->language, language);
        });
    };
    if (spec) {
        const auto it = inLanguage(spec->language);
        if (it == ofKind.end())
            throw StreamChoiceError("The movie " + path + " has no " + kindName +
                                    " stream in language " + spec->language);
        return **it;
    }
    if (!subtitleLanguage.empty())
        if (const auto it = inLanguage(subtitleLanguage); it != ofKind.end())
            return **it;
    const auto flagged = std::find_if(ofKind.begin(), ofKind.end(),
                                      [](const StreamFacts* s) { return s->isDefault; });
    return flagged != ofKind.end() ? **flagged : *ofKind.front();
}

std::string DescribeStream(const StreamFacts& stream) {
    std::string text = "stream " + std::to_string(stream.index) + " (" +
                       (stream.kind == StreamKind::Subtitle ? "subtitles" : KindName(stream.kind));
    if (!stream.language.empty() && stream.language != "und")
        text += ", " + stream.language;
    return text + ")";
}

} // namespace velkar::autosync
