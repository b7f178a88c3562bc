#include "cli/LibraryPairs.h"

#include "document/Format.h"

#include <algorithm>
#include <map>

namespace velkar::cli {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

struct Name {
    std::string folder; // with its trailing '/', or empty
    std::string file;   // lower case
};

Name Split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {"", Lower(path)};
    return {path.substr(0, slash + 1), Lower(path.substr(slash + 1))};
}

// The extension of a lower-case file name, without its dot; empty when it has none.
std::string Extension(const std::string& file) {
    const std::size_t dot = file.rfind('.');
    return dot == std::string::npos || dot == 0 ? std::string() : file.substr(dot + 1);
}

bool IsSubtitleExtension(const std::string& extension) {
    for (const FormatEntry* entry : RecognitionOrder())
        if (entry->extension.size() > 1 && entry->extension.substr(1) == extension)
            return true;
    return false;
}

bool Taken(const std::string& file) {
    return !file.empty() && file[0] != '.' && file.find(".orig.") == std::string::npos &&
           file.find(".synced.") == std::string::npos;
}

// The folder a subtitle's movie may be in: its own, and the one above when it is Subs or
// Subtitles.
std::vector<std::string> MovieFolders(const std::string& folder) {
    std::vector<std::string> folders{folder};
    if (folder.empty())
        return folders;
    const std::string inner = folder.substr(0, folder.size() - 1);
    const std::size_t slash = inner.rfind('/');
    const std::string last = Lower(slash == std::string::npos ? inner : inner.substr(slash + 1));
    if (last == "subs" || last == "subtitles")
        folders.push_back(slash == std::string::npos ? std::string() : inner.substr(0, slash + 1));
    return folders;
}

} // namespace

bool IsMovieName(const std::string& path) {
    static const char* const kMovies[] = {"mkv",  "mp4", "m4v", "avi", "mov",
                                          "webm", "ts",  "mpg", "wmv"};
    const std::string extension = Extension(Split(path).file);
    return std::any_of(std::begin(kMovies), std::end(kMovies),
                       [&](const char* e) { return extension == e; });
}

LibraryPairing PairLibrary(const std::vector<std::string>& paths) {
    // Movies by folder, then by lower-case name without the extension.
    std::map<std::string, std::multimap<std::string, std::string>> movies;
    for (const std::string& path : paths) {
        const Name name = Split(path);
        if (Taken(name.file) && IsMovieName(path))
            movies[name.folder].emplace(name.file.substr(0, name.file.rfind('.')), path);
    }
    LibraryPairing result;
    for (const std::string& path : paths) {
        const Name name = Split(path);
        if (!Taken(name.file) || IsMovieName(path) || !IsSubtitleExtension(Extension(name.file)))
            continue;
        // Without the extension: the movie's name, then tags.
        const std::string base = name.file.substr(0, name.file.rfind('.'));
        std::vector<std::string> owners;
        for (const std::string& folder : MovieFolders(name.folder)) {
            const auto found = movies.find(folder);
            if (found == movies.end())
                continue;
            for (const auto& [stem, movie] : found->second)
                if (base == stem || (base.size() > stem.size() && base[stem.size()] == '.' &&
                                     base.compare(0, stem.size(), stem) == 0))
                    owners.push_back(movie);
        }
        std::sort(owners.begin(), owners.end());
        owners.erase(std::unique(owners.begin(), owners.end()), owners.end());
        if (owners.size() == 1)
            result.pairs.push_back({owners.front(), path});
        else if (owners.size() > 1)
            result.ambiguous.push_back({path, owners});
    }
    std::sort(result.pairs.begin(), result.pairs.end(), [](const auto& a, const auto& b) {
        return a.movie != b.movie ? a.movie < b.movie : a.subtitle < b.subtitle;
    });
    result.pairs.erase(std::unique(result.pairs.begin(), result.pairs.end()), result.pairs.end());
    std::sort(result.ambiguous.begin(), result.ambiguous.end(),
              [](const auto& a, const auto& b) { return a.subtitle < b.subtitle; });
    return result;
}

std::vector<LibraryPair> ShardOf(const std::vector<LibraryPair>& pairs, std::size_t index,
                                 std::size_t count) {
    // Shard k starts at the first movie that begins at or after k * n / count.
    const auto start = [&](std::size_t k) {
        if (k >= count)
            return pairs.size();
        std::size_t at = k * pairs.size() / count;
        while (at > 0 && at < pairs.size() && pairs[at].movie == pairs[at - 1].movie)
            ++at;
        return at;
    };
    const std::size_t from = start(index), to = std::max(from, start(index + 1));
    return {pairs.begin() + std::ptrdiff_t(from), pairs.begin() + std::ptrdiff_t(to)};
}

} // namespace velkar::cli
