// autosync --batch: a library of films synced unattended. The movies and their subtitles are
// paired by name (cli/LibraryPairs.h); each movie's sound is decoded once (or its speech taken
// from the cache), on one of --jobs threads, and every subtitle of it fitted, judged and
// written only when sure.

#include "autosync/MovieSpeech.h"
#include "autosync/SoundModule.h"
#include "autosync/SpeechCache.h"
#include "autosync/StreamChoice.h"
#include "cli/Autosync.h"
#include "cli/Commands.h"
#include "cli/LibraryPairs.h"
#include "cli/OpenSubtitle.h"
#include "document/Errors.h"
#include "document/LineIo.h"
#include "document/SafeWrite.h"
#include "document/TimeCode.h"

#include <nlohmann/json.hpp>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <ostream>
#include <thread>

namespace velkar::cli {

namespace {

using namespace velkar::autosync;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool Hidden(const fs::path& path) {
    const std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

bool IsSubsFolder(const fs::path& path) {
    std::string name = path.filename().string();
    for (char& c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name == "subs" || name == "subtitles";
}

// The files under `root` (without --recursive: in it and in its Subs or Subtitles folders),
// hidden ones and `skip` left out, each mapped to `root`.
void ListFiles(const fs::path& root, bool recursive, const fs::path& skip,
               std::map<std::string, fs::path>& files) {
    std::error_code ec;
    if (!fs::is_directory(root, ec))
        throw VelkarError("Cannot open folder " + root.string());
    const auto take = [&](const fs::directory_entry& entry) {
        std::error_code e;
        if (entry.is_regular_file(e) && !Hidden(entry.path()))
            files.emplace(entry.path().generic_string(), root);
    };
    if (recursive) {
        fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied,
                                            ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code e;
            if (it->is_directory(e) &&
                (Hidden(it->path()) || (!skip.empty() && fs::equivalent(it->path(), skip, e)))) {
                it.disable_recursion_pending();
                continue;
            }
            take(*it);
        }
    } else {
        for (const auto& entry : fs::directory_iterator(root, ec)) {
            std::error_code e;
            if (entry.is_directory(e) && IsSubsFolder(entry.path()) && !Hidden(entry.path()))
                for (const auto& inner : fs::directory_iterator(entry.path(), e))
                    take(inner);
            take(entry);
        }
    }
    if (ec)
        throw VelkarError("Cannot read folder " + root.string() + ": " + ec.message());
}

std::pair<std::size_t, std::size_t> ParseShard(const std::string& text) {
    std::size_t index = 0, count = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%zu/%zu%n", &index, &count, &used) != 2 ||
        used != int(text.size()) || count == 0 || index >= count)
        throw UsageError("--shard takes I/N: share I (0 to N-1) of N");
    return {index, count};
}

// NAME.EXT -> NAME.orig.EXT
std::string OriginalName(const std::string& path) {
    const fs::path p(path);
    return (p.parent_path() / (p.stem().string() + ".orig" + p.extension().string()))
        .generic_string();
}

struct Group {
    std::string movie;
    std::vector<std::string> subtitles;
};

// What became of one subtitle.
struct Entry {
    nlohmann::json line;
    std::string action;
};

class Batch {
  public:
    Batch(const Streams& streams, const BatchOptions& options, std::size_t total,
          std::ofstream* report)
        : m_streams(streams), m_options(options), m_total(total), m_report(report),
          m_bar(isatty(STDERR_FILENO) == 1), m_started(Clock::now()) {}

    void run(const Group& group, const std::map<std::string, fs::path>& roots) {
        auto started = Clock::now();
        std::vector<StreamFacts> probed;
        std::string probeFailure;
        try {
            probed = ProbeStreamsInModule(group.movie);
        } catch (const std::exception& e) {
            probeFailure = e.what();
        }
        // Each subtitle listens to the stream of its own language: the movie's sound is
        // decoded once per stream asked for.
        struct Heard {
            std::optional<MovieSpeech> speech;
            std::string failure;
        };
        std::map<int, Heard> byStream;
        for (const std::string& subtitle : group.subtitles) {
            std::optional<StreamFacts> chosen;
            std::string failure = probeFailure;
            const MovieSpeech* heard = nullptr;
            if (failure.empty()) {
                try {
                    chosen = ChooseStream(probed, group.movie, m_options.stream, StreamKind::Sound,
                                          LanguageOfFileName(subtitle, group.movie));
                } catch (const std::exception& e) {
                    failure = e.what();
                }
            }
            if (chosen) {
                auto it = byStream.find(chosen->index);
                if (it == byStream.end())
                    it =
                        byStream.emplace(chosen->index, listenAs<Heard>(group.movie, chosen->index))
                            .first;
                heard = it->second.speech ? &*it->second.speech : nullptr;
                failure = it->second.failure;
            }
            Entry entry = one(group.movie, subtitle, heard, failure, roots, chosen);
            entry.line["seconds"] =
                std::round(std::chrono::duration<double>(Clock::now() - started).count() * 1000) /
                1000;
            started = Clock::now();
            finish(entry);
        }
    }

    void ambiguous(const AmbiguousSubtitle& a) {
        Entry entry;
        entry.action = "skipped";
        entry.line = {{"movie", nullptr},
                      {"subtitle", a.subtitle},
                      {"action", "skipped"},
                      {"reason", "ambiguous: it could belong to " + Join(a.movies)}};
        finish(entry);
    }

    int summary() {
        if (m_bar && m_done > 0)
            std::fputs("\r\033[K", stderr);
        std::ostream& out = m_streams.out;
        out << "summary: " << m_done << " subtitle" << (m_done == 1 ? "" : "s");
        const char* separator = ": ";
        static const char* const kActions[] = {"written",  "would write", "already in place",
                                               "not sure", "refused",     "damaged",
                                               "error",    "skipped"};
        for (const char* action : kActions)
            if (m_counts[action] > 0) {
                out << separator << m_counts[action] << ' ' << action;
                separator = ", ";
            }
        if (!m_options.inPlace && m_options.out.empty())
            out << " (a dry run: nothing written)";
        out << '\n';
        return m_counts["damaged"] + m_counts["error"] > 0 ? 1 : 0;
    }

  private:
    template <typename Heard> Heard listenAs(const std::string& movie, int stream) {
        Heard heard;
        try {
            const SpeechCache cache(SpeechCache::DefaultDirectory());
            heard.speech =
                SpeechThroughCache(movie, stream, m_options.noCache ? nullptr : &cache, [&] {
                    QuietAnalysis quiet;
                    return DetectMovieSpeechInModule(movie, stream, quiet, m_options.jobs);
                });
        } catch (const std::exception& e) {
            heard.failure = e.what();
        }
        return heard;
    }

    static std::string Join(const std::vector<std::string>& items) {
        std::string text;
        for (const std::string& item : items)
            text += (text.empty() ? "" : " or ") + item;
        return text;
    }

    Entry one(const std::string& movie, const std::string& subtitle, const MovieSpeech* heard,
              const std::string& failure, const std::map<std::string, fs::path>& roots,
              const std::optional<StreamFacts>& stream) {
        Entry entry;
        nlohmann::json& line = entry.line;
        line["movie"] = movie;
        line["subtitle"] = subtitle;
        line["stream"] = nullptr;
        if (stream)
            line["stream"] = {{"index", stream->index},
                              {"language", stream->language.empty()
                                               ? nlohmann::json(nullptr)
                                               : nlohmann::json(stream->language)}};
        const auto done = [&](const char* action, const std::string& reason) {
            entry.action = action;
            line["action"] = action;
            line["reason"] = reason;
            return entry;
        };
        SubtitleDocument doc;
        std::string original;
        try {
            original = ReadWholeFile(subtitle);
            std::string mended;
            OpenSubtitle(doc, subtitle, SubtitleTextsWanted::No,
                         m_options.mend ? &mended : nullptr);
            if (!mended.empty())
                line["mended"] = mended;
        } catch (const FileOpenError& e) {
            return done("error", e.what());
        } catch (const std::exception& e) {
            line["format"] = JsonFormatName(doc.SubtitleFormat);
            return done("damaged", e.what());
        }
        line["format"] = JsonFormatName(doc.SubtitleFormat);
        if (!heard)
            return done("error", failure);
        if (doc.SubtitleCount == 0)
            return done("damaged", "The Subtitle file holds no subtitles");
        try {
            const double frameRate = m_options.frameRate.value_or(
                heard->frameRate > 0 ? heard->frameRate : kDefaultFrameRate);
            const FittedDocument fitted =
                FitDocument(doc, heard->speech, frameRate, m_options.split);
            const Judgement& judgement = fitted.judgement;
            line["verdict"] = VerdictName(judgement.verdict);
            line["score"] = std::round(fitted.fit.score * 10) / 10;
            nlohmann::json pieces = nlohmann::json::array();
            for (std::size_t k = 0; k < fitted.fit.pieces.size(); ++k) {
                const MapPiece& piece = fitted.fit.pieces[k];
                pieces.push_back(
                    {{"first", piece.first + 1},
                     {"last", piece.last + 1},
                     {"stretch", piece.map.stretch},
                     {"offset_s", std::round(piece.map.offsetMs) / 1000},
                     {"on_speech", std::round(judgement.speechShares[k] * 1000) / 1000}});
            }
            line["pieces"] = pieces;
            if (judgement.verdict == Verdict::None)
                return done("refused", judgement.reason);
            const SubtitleFormat f = doc.SubtitleFormat;
            const std::size_t last = doc.SubtitleCount - 1u;
            line["first"] = {{"file", TimeToText(f, doc.start(0))},
                             {"true", TimeToText(f, fitted.times.starts.front())}};
            line["last"] = {{"file", TimeToText(f, doc.start(last))},
                            {"true", TimeToText(f, fitted.times.starts.back())}};
            if (judgement.inPlace)
                return done("already in place", "no subtitle moves by more than 40 ms");
            if (judgement.verdict == Verdict::Unsure && !m_options.force)
                return done("not sure", judgement.reason);
            const std::string why =
                judgement.verdict == Verdict::Unsure ? "forced: " + judgement.reason : "";
            if (m_options.inPlace) {
                const std::string bytes = RetimedBytes(doc, fitted);
                const std::string kept = OriginalName(subtitle);
                const std::lock_guard<std::mutex> lock(m_writing);
                std::error_code ec;
                if (!fs::exists(kept, ec))
                    SafeWriteBytes(kept, original);
                SafeWriteBytes(subtitle, bytes);
                line["original"] = kept;
                return done("written", why);
            }
            if (!m_options.out.empty()) {
                const fs::path root = roots.at(subtitle);
                const fs::path target =
                    fs::path(m_options.out) / fs::path(subtitle).lexically_relative(root);
                const std::string bytes = RetimedBytes(doc, fitted);
                line["output"] = target.generic_string();
                std::error_code ec;
                if (fs::is_regular_file(target, ec) && ReadWholeFile(target.string()) == bytes)
                    return done("already in place", "the copy in the output folder is this one");
                const std::lock_guard<std::mutex> lock(m_writing);
                fs::create_directories(target.parent_path(), ec);
                SafeWriteBytes(target.string(), bytes);
                return done("written", why);
            }
            return done("would write", why.empty() ? "a dry run" : "a dry run; " + why);
        } catch (const std::exception& e) {
            return done("error", e.what());
        }
    }

    void finish(const Entry& entry) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_report)
            *m_report << entry.line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                      << '\n'
                      << std::flush;
        ++m_counts[entry.action];
        ++m_done;
        if (m_bar)
            std::fputs("\r\033[K", stderr);
        m_streams.out << entry.action << ": " << entry.line.value("subtitle", std::string()) << " ("
                      << entry.line.value("verdict", std::string("no verdict"));
        if (entry.line.contains("score"))
            m_streams.out << ", score " << entry.line["score"].dump();
        const std::string reason = entry.line.value("reason", std::string());
        if (!reason.empty())
            m_streams.out << "; " << ForTerminal(reason);
        m_streams.out << ")\n" << std::flush;
        if (m_bar) {
            const double elapsed = std::chrono::duration<double>(Clock::now() - m_started).count();
            const double left =
                m_done > 0 ? elapsed / double(m_done) * double(m_total - std::min(m_done, m_total))
                           : 0;
            std::fprintf(stderr, "[%zu/%zu] subtitles, about %.0f s left", m_done, m_total, left);
            std::fflush(stderr);
        }
    }

    const Streams& m_streams;
    const BatchOptions& m_options;
    const std::size_t m_total;
    std::ofstream* m_report;
    const bool m_bar;
    const Clock::time_point m_started;
    std::mutex m_mutex;
    // One save at a time: the safe writer's names for its temporary files are not made for
    // threads (the writes are small beside the decoding).
    std::mutex m_writing;
    std::size_t m_done = 0;
    std::map<std::string, std::size_t> m_counts;
};

} // namespace

int AutosyncBatch(const Streams& streams, const BatchOptions& options) {
    if (options.inPlace && !options.out.empty())
        throw UsageError("Give either --in-place or --out, not both");
    if (options.jobs == 0)
        throw UsageError("--jobs must be at least 1");
    std::size_t shard = 0, shards = 1;
    if (!options.shard.empty())
        std::tie(shard, shards) = ParseShard(options.shard);

    std::map<std::string, fs::path> roots;
    for (const std::string& folder : options.folders) {
        fs::path root = fs::path(folder).lexically_normal();
        if (root.has_filename() == false && root.has_parent_path() && root != root.root_path())
            root = root.parent_path();
        ListFiles(root, options.recursive, options.out, roots);
    }
    std::vector<std::string> paths;
    for (const auto& [path, root] : roots)
        paths.push_back(path);
    const LibraryPairing pairing = PairLibrary(paths);
    const std::vector<LibraryPair> mine = ShardOf(pairing.pairs, shard, shards);

    std::vector<Group> groups;
    for (const LibraryPair& pair : mine) {
        if (groups.empty() || groups.back().movie != pair.movie)
            groups.push_back({pair.movie, {}});
        groups.back().subtitles.push_back(pair.subtitle);
    }

    std::ofstream report;
    if (!options.report.empty()) {
        report.open(options.report, std::ios::binary | std::ios::trunc);
        if (!report)
            throw FileCreateError(options.report);
    }
    Batch batch(streams, options, mine.size() + (shard == 0 ? pairing.ambiguous.size() : 0),
                options.report.empty() ? nullptr : &report);
    // The subtitles nobody can pair are told once, by the first share.
    if (shard == 0)
        for (const AmbiguousSubtitle& a : pairing.ambiguous)
            batch.ambiguous(a);

    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t g; (g = next++) < groups.size();)
            batch.run(groups[g], roots);
    };
    const std::size_t threads = std::min<std::size_t>(options.jobs, groups.size());
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    if (report) {
        report.flush();
        if (!report)
            throw VelkarError("Cannot write file " + options.report);
    }
    return batch.summary();
}

} // namespace velkar::cli
