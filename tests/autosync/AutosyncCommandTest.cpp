// velkar-cli autosync on a minute of dialogue made at test time: the SubRip file that times it
// right, broken in known ways, is restored from the sound or from the right file.

#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

namespace velkar::autosync {
namespace {

using testing::HasSubstr;
namespace fs = std::filesystem;

const std::string kClips = VELKAR_AUTOSYNC_CLIPS_DIR;

using Result = test::CliResult;
using test::RunCli;

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Calls at(position, milliseconds) for every clock time "hh:mm:ss,zzz" of a SubRip text, from
// left to right, matches not overlapping.
template <typename At> void ForEachClock(const std::string& text, At at) {
    auto digits = [&](std::size_t p, std::size_t n) {
        for (std::size_t k = 0; k < n; ++k)
            if (!std::isdigit(static_cast<unsigned char>(text[p + k])))
                return false;
        return true;
    };
    constexpr std::size_t kLength = 12;
    for (std::size_t p = 0; p + kLength <= text.size(); ++p) {
        if (digits(p, 2) && text[p + 2] == ':' && digits(p + 3, 2) && text[p + 5] == ':' &&
            digits(p + 6, 2) && text[p + 8] == ',' && digits(p + 9, 3)) {
            at(p, std::stol(text.substr(p, 2)) * 3600000 +
                      std::stol(text.substr(p + 3, 2)) * 60000 +
                      std::stol(text.substr(p + 6, 2)) * 1000 + std::stol(text.substr(p + 9, 3)));
            p += kLength - 1;
        }
    }
}

// Every clock time of a SubRip text, in ms, in order.
std::vector<long> Times(const std::string& text) {
    std::vector<long> times;
    ForEachClock(text, [&](std::size_t, long ms) { times.push_back(ms); });
    return times;
}

// `text` with every clock time t replaced by what `clock(t)` gives.
template <typename Clock> std::string ReplaceClocks(const std::string& text, Clock clock) {
    std::string result;
    std::size_t last = 0;
    ForEachClock(text, [&](std::size_t at, long ms) {
        result.append(text, last, at - last);
        result += clock(ms);
        last = at + 12;
    });
    result.append(text, last, std::string::npos);
    return result;
}

// `text` with every clock time t replaced by stretch * t + offset.
std::string Broken(const std::string& text, double stretch, double offsetMs) {
    return ReplaceClocks(text, [&](long ms) {
        const long t = std::lround(stretch * double(ms) + offsetMs);
        char clock[64];
        std::snprintf(clock, sizeof clock, "%02ld:%02ld:%02ld,%03ld", t / 3600000, t / 60000 % 60,
                      t / 1000 % 60, t % 1000);
        return std::string(clock);
    });
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

class AutosyncCommand : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        const std::string command =
            "bash " + std::string(VELKAR_AUTOSYNC_CLIP_SCRIPT) + " " + kClips + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("velkar-autosync-" + std::to_string(::getpid()) + "-" +
                    testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
        m_truth = Read(kClips + "/dialogue.srt");
    }
    void TearDown() override { fs::remove_all(m_folder); }
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(m_folder / name, std::ios::binary) << bytes;
        return (m_folder / name).string();
    }
    std::string path(const std::string& name) { return (m_folder / name).string(); }

    fs::path m_folder;
    std::string m_truth;
};

struct Damage {
    double stretch;
    double offsetMs;
};

class AutosyncRestores : public AutosyncCommand,
                         public testing::WithParamInterface<std::tuple<Damage, const char*>> {};

TEST_P(AutosyncRestores, EveryStartFromTheSound) {
    const auto [damage, movie] = GetParam();
    const std::string broken =
        write("broken.srt", Broken(m_truth, damage.stretch, damage.offsetMs));
    const Result r = RunCli({"autosync", broken, kClips + "/" + movie, "-o", path("out.srt")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("first subtitle 1: "));
    EXPECT_THAT(r.out, HasSubstr("last subtitle 12: "));
    const std::string fixed = Read(path("out.srt"));
    const auto want = Times(m_truth), got = Times(fixed);
    ASSERT_EQ(got.size(), want.size());
    std::vector<double> errors;
    for (std::size_t i = 0; i < want.size(); i += 2) { // the starts
        EXPECT_NEAR(double(got[i]), double(want[i]), 150.0) << "subtitle " << i / 2 + 1;
        errors.push_back(std::abs(double(got[i] - want[i])));
    }
    // The detector hears soft words start some 30 ms later than loud ones: the soft clip's
    // starts come out about 10 ms late, the loud one's 20 ms early. Hearing every word 40 ms
    // late or early, or taking 40 ms or more of detector lag off, moves one past the bound.
    EXPECT_LT(Median(errors), 25.0) << testing::PrintToString(errors);
    // Only the times changed.
    const auto mark = [](long) { return std::string("T"); };
    EXPECT_EQ(ReplaceClocks(fixed, mark), ReplaceClocks(m_truth, mark));
}

INSTANTIATE_TEST_SUITE_P(Damages, AutosyncRestores,
                         testing::Combine(testing::Values(Damage{1.0, 3200.0}, Damage{1.0, -900.0},
                                                          Damage{25.0 / (24000.0 / 1001.0), 2500.0},
                                                          Damage{24.0 / 25.0, 1500.0}),
                                          testing::Values("dialogue.mkv", "dialogue-loud.mkv")));

class AutosyncReference : public AutosyncCommand, public testing::WithParamInterface<Damage> {};

TEST_P(AutosyncReference, AgainstAReferenceSubtitleFileToTheMillisecond) {
    const std::string broken =
        write("broken.srt", Broken(m_truth, GetParam().stretch, GetParam().offsetMs));
    const Result r = RunCli(
        {"autosync", broken, "--reference", kClips + "/dialogue.srt", "-o", path("out.srt")});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto want = Times(m_truth), got = Times(Read(path("out.srt")));
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(double(got[i]), double(want[i]), 3.0) << "time " << i;
}

// A plain shift too: the fit's stretch is then exactly 1.
INSTANTIATE_TEST_SUITE_P(Damages, AutosyncReference,
                         testing::Values(Damage{1.0, 4321.0}, Damage{1.0, -700.0},
                                         Damage{25.0 / 24.0, 4321.0}));

TEST_F(AutosyncCommand, ThroughStandardInputAndOutputAsThroughFiles) {
    const std::string damaged = Broken(m_truth, 1.0, 2500.0);
    const std::string broken = write("broken.srt", damaged);
    const Result files = RunCli(
        {"autosync", broken, "--reference", kClips + "/dialogue.srt", "-o", path("out.srt")});
    ASSERT_EQ(files.code, 0) << files.err;
    const Result piped =
        RunCli({"autosync", "-", "--reference", kClips + "/dialogue.srt", "-o", "-"}, damaged);
    ASSERT_EQ(piped.code, 0) << piped.err;
    EXPECT_EQ(piped.out, Read(path("out.srt")));
    EXPECT_EQ(piped.err, files.out); // the report, out of the copy's way
}

TEST_F(AutosyncCommand, RefusesAnotherFilmAndWritesNothing) {
    const std::string broken = write("broken.srt", Broken(m_truth, 1.0, 3000.0));
    const Result r = RunCli({"autosync", broken, kClips + "/speech.wav", "-o", path("out.srt")});
    EXPECT_EQ(r.code, 5);
    EXPECT_THAT(r.err, HasSubstr("The subtitles do not match this sound (fit score "));
    EXPECT_THAT(r.out, HasSubstr("\nverdict: none (the subtitles do not match this sound"));
    EXPECT_FALSE(fs::exists(path("out.srt")));

    const std::string nosound = kClips + "/nosound.mkv";
    const Result silent = RunCli({"autosync", broken, nosound, "-o", path("out.srt")});
    EXPECT_EQ(silent.code, 1);
    EXPECT_EQ(silent.err, "The file " + nosound + " holds no sound\n");
    EXPECT_FALSE(fs::exists(path("out.srt")));
}

// `text` with the clock times of subtitles `from` on (1-based) moved by `offsetMs`.
std::string CutAt(const std::string& text, int from, double offsetMs) {
    const std::size_t at = text.find("\r\n\r\n" + std::to_string(from) + "\r\n");
    return text.substr(0, at) + Broken(text.substr(at), 1.0, offsetMs);
}

struct VerdictRun {
    const char* name;
    std::string file; // from the true file
    const char* movie;
    std::vector<std::string> flags;
    int code;
    const char* verdict; // the start of the verdict line
    bool written;
};

TEST_F(AutosyncCommand, VerdictsExitCodesAndWhatIsWritten) {
    const VerdictRun runs[] = {
        {"late", Broken(m_truth, 1.0, 3200.0), "dialogue.mkv", {}, 0, "verdict: sure\n", true},
        {"right",
         m_truth,
         "dialogue.mkv",
         {},
         3,
         "verdict: sure; already in place, nothing written\n",
         false},
        // Cut 8 s short after the sixth line, synced as one piece: the best line lays a half
        // off the speech.
        {"cut", CutAt(m_truth, 7, 8000.0), "dialogue.mkv", {}, 4, "verdict: unsure (", false},
        {"cut, forced",
         CutAt(m_truth, 7, 8000.0),
         "dialogue.mkv",
         {"--force"},
         0,
         "verdict: unsure (",
         true},
        // Here the best line leaves the first half where it is: not "in place" for all that.
        {"cut, loud",
         CutAt(m_truth, 7, 8000.0),
         "dialogue-loud.mkv",
         {},
         4,
         "verdict: unsure (",
         false},
    };
    for (const VerdictRun& run : runs) {
        SCOPED_TRACE(run.name);
        fs::remove(path("out.srt"));
        std::vector<std::string> args{"autosync", write("in.srt", run.file),
                                      kClips + "/" + run.movie, "-o", path("out.srt")};
        args.insert(args.end(), run.flags.begin(), run.flags.end());
        const Result r = RunCli(args);
        EXPECT_EQ(r.code, run.code) << r.out << r.err;
        EXPECT_THAT(r.out, HasSubstr("\n" + std::string(run.verdict))) << r.out;
        EXPECT_EQ(fs::exists(path("out.srt")), run.written);
    }
}

// Every file under `folder` and its bytes (a movie's only as its size).
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(folder).generic_string()] =
                entry.file_size() > 65536 ? std::to_string(entry.file_size()) + " bytes"
                                          : Read(entry.path());
    return files;
}

// The report's lines by subtitle (relative to `root`), without the seconds each took.
std::map<std::string, nlohmann::json> ReportLines(const std::string& text, const fs::path& root) {
    std::map<std::string, nlohmann::json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        nlohmann::json j = nlohmann::json::parse(line);
        j.erase("seconds");
        lines
            [fs::path(j["subtitle"].get<std::string>()).lexically_relative(root).generic_string()] =
                j;
    }
    return lines;
}

// A small library: a film with three subtitles (one late, one right, one cut short), another
// film's subtitle (and a file that is no subtitle) beside a movie of other speech, and a
// subtitle two movies could own.
class AutosyncBatch : public AutosyncCommand {
  protected:
    void SetUp() override {
        AutosyncCommand::SetUp();
        m_library = m_folder / "library";
        fs::create_directories(m_library / "A" / "Subs");
        fs::create_directories(m_library / "C");
        fs::create_directories(m_library / "D");
        fs::copy_file(kClips + "/dialogue.mkv", m_library / "A" / "Film.mkv");
        write("library/A/Film.en.srt", Broken(m_truth, 1.0, 3200.0));
        write("library/A/Subs/Film.fr.srt", m_truth);
        write("library/A/Film.cut.srt", CutAt(m_truth, 7, 8000.0));
        fs::copy_file(kClips + "/speech-aac.mkv", m_library / "C" / "Other.mkv");
        write("library/C/Other.srt", Broken(m_truth, 1.0, 3200.0));
        write("library/C/Other.de.srt", "not a subtitle\n");
        write("library/D/Twin.mkv", "");
        write("library/D/Twin.mp4", "");
        write("library/D/Twin.srt", m_truth);
    }
    Result batch(std::vector<std::string> flags) {
        std::vector<std::string> args{"autosync",    "--batch",  m_library.string(),
                                      "--recursive", "--report", path("report.jsonl"),
                                      "--jobs",      "2"};
        args.insert(args.end(), flags.begin(), flags.end());
        return RunCli(args);
    }
    std::map<std::string, nlohmann::json> report() {
        return ReportLines(Read(path("report.jsonl")), m_library);
    }
    fs::path m_library;
};

TEST_F(AutosyncBatch, ADryRunReportsEverySubtitleAndWritesNothing) {
    const auto before = Snapshot(m_library);
    const Result r = batch({});
    EXPECT_EQ(r.code, 1) << r.err; // the damaged file
    EXPECT_EQ(Snapshot(m_library), before);
    const auto lines = report();
    const std::map<std::string, std::pair<std::string, std::string>> want{
        {"A/Film.en.srt", {"would write", "sure"}},
        {"A/Subs/Film.fr.srt", {"already in place", "sure"}},
        {"A/Film.cut.srt", {"not sure", "unsure"}},
        {"C/Other.srt", {"refused", "none"}},
        {"C/Other.de.srt", {"damaged", ""}},
        {"D/Twin.srt", {"skipped", ""}},
    };
    ASSERT_EQ(lines.size(), want.size()) << Read(path("report.jsonl"));
    for (const auto& [subtitle, expected] : want) {
        SCOPED_TRACE(subtitle);
        const nlohmann::json& line = lines.at(subtitle);
        EXPECT_EQ(line.value("action", ""), expected.first);
        EXPECT_EQ(line.value("verdict", ""), expected.second);
    }
    const nlohmann::json& late = lines.at("A/Film.en.srt");
    EXPECT_EQ(late["movie"], (m_library / "A" / "Film.mkv").string());
    EXPECT_EQ(late["format"], "SubRip");
    EXPECT_GE(late["score"].get<double>(), 8.0);
    ASSERT_EQ(late["pieces"].size(), 1u);
    EXPECT_NEAR(late["pieces"][0]["offset_s"].get<double>(), -3.2, 0.1);
    EXPECT_EQ(late["first"]["file"], "00:00:04,400");
    EXPECT_THAT(lines.at("D/Twin.srt").value("reason", ""), HasSubstr("ambiguous"));
    EXPECT_THAT(r.out, HasSubstr("summary: 6 subtitles: 1 would write, 1 already in place, 1 not "
                                 "sure, 1 refused, 1 damaged, 1 skipped (a dry run"));

    // Without --recursive: the folder given and its Subs folder only.
    const Result one = RunCli({"autosync", "--batch", (m_library / "A").string()});
    EXPECT_EQ(one.code, 0) << one.err;
    EXPECT_THAT(one.out, HasSubstr("summary: 3 subtitles: 1 would write, 1 already in place, 1 not "
                                   "sure (a dry run"));
    EXPECT_EQ(RunCli({"autosync", "--batch", m_library.string()}).out,
              "summary: 0 subtitles (a dry run: nothing written)\n");
    EXPECT_EQ(Snapshot(m_library), before);
}

TEST_F(AutosyncBatch, InPlaceKeepsTheFirstOriginalOnceAndASecondRunWritesNothing) {
    const std::string late = Read(m_library / "A" / "Film.en.srt");
    const auto before = Snapshot(m_library);
    batch({"--in-place"});
    EXPECT_EQ(report().at("A/Film.en.srt").value("action", ""), "written");
    auto after = Snapshot(m_library);
    // Only the late file changed, and its original is kept beside it.
    EXPECT_EQ(after.at("A/Film.en.orig.srt"), late);
    const auto fixed = Times(after.at("A/Film.en.srt")), truth = Times(m_truth);
    ASSERT_EQ(fixed.size(), truth.size());
    for (std::size_t i = 0; i < truth.size(); i += 2)
        EXPECT_NEAR(double(fixed[i]), double(truth[i]), 150.0);
    after.erase("A/Film.en.orig.srt");
    after.at("A/Film.en.srt") = late;
    EXPECT_EQ(after, before);

    // Again: every file is now in place, nothing is written, the original stays the first.
    const auto once = Snapshot(m_library);
    batch({"--in-place"});
    EXPECT_EQ(Snapshot(m_library), once);
    EXPECT_EQ(report().at("A/Film.en.srt").value("action", ""), "already in place");
    // Even when the file is damaged again by hand, the first original is the one kept.
    write("library/A/Film.en.srt", Broken(m_truth, 1.0, -2000.0));
    batch({"--in-place"});
    EXPECT_EQ(Read(m_library / "A" / "Film.en.orig.srt"), late);
}

TEST_F(AutosyncBatch, OutMirrorsTheTreeAndASecondRunWritesNothing) {
    const auto before = Snapshot(m_library);
    const fs::path out = m_folder / "fixed";
    batch({"--out", out.string()});
    EXPECT_EQ(Snapshot(m_library), before);
    const auto copies = Snapshot(out);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies.begin()->first, "A/Film.en.srt");
    batch({"--out", out.string()});
    EXPECT_EQ(Snapshot(out), copies);
    EXPECT_EQ(report().at("A/Film.en.srt").value("action", ""), "already in place");
}

TEST_F(AutosyncBatch, ThreeSharesUnderGnuParallelMakeOneRun) {
    fs::create_directories(m_library / "B");
    fs::copy_file(kClips + "/dialogue-loud.mkv", m_library / "B" / "Loud.mkv");
    write("library/B/Loud.srt", Broken(m_truth, 1.0, -900.0));
    batch({});
    const std::string whole = Read(path("report.jsonl"));
    // Each share its own process, as on three machines.
    const std::string command = "cd " + m_folder.string() +
                                " && parallel --will-cite -j3 " VELKAR_CLI
                                " autosync --batch library --recursive --shard {}/3 --report "
                                "share-{}.jsonl ::: 0 1 2 >/dev/null 2>&1";
    std::system(command.c_str()); // exits with 1 as the damaged file makes every run that has it
    std::string joined;
    std::set<std::string> movies;
    for (int k = 0; k < 3; ++k) {
        const fs::path report = m_folder / ("share-" + std::to_string(k) + ".jsonl");
        ASSERT_TRUE(fs::exists(report)) << "GNU parallel did not run share " << k;
        const std::string share = Read(report);
        // A movie's subtitles all in one share: its sound decoded on one machine.
        std::set<std::string> here;
        for (const auto& [subtitle, line] : ReportLines(share, "library"))
            if (!line["movie"].is_null())
                here.insert(line["movie"].get<std::string>());
        for (const std::string& movie : here)
            EXPECT_TRUE(movies.insert(movie).second) << movie << " in two shares";
        joined += share;
    }
    EXPECT_EQ(movies.size(), 3u);
    auto one = ReportLines(whole, m_library);
    auto shares = ReportLines(joined, "library");
    ASSERT_EQ(shares.size(), one.size()) << joined;
    // The paths differ only by the folder the command was given.
    for (auto& [subtitle, line] : one) {
        SCOPED_TRACE(subtitle);
        nlohmann::json& other = shares.at(subtitle);
        for (const char* key : {"movie", "subtitle", "reason"})
            if (line.contains(key) && line[key].is_string()) {
                std::string text = line[key].get<std::string>();
                for (std::size_t at; (at = text.find(m_library.string())) != std::string::npos;)
                    text.replace(at, m_library.string().size(), "library");
                line[key] = text;
            }
        EXPECT_EQ(line, other);
    }
}

TEST_F(AutosyncBatch, FilesAreMendedOnlyWhenAskedAndTheReportSaysSo) {
    // Times with a dot before the milliseconds, a fault mending puts right.
    write("library/A/Film.dots.srt", ReplaceClocks(Broken(m_truth, 1.0, 3200.0), [](long ms) {
              char clock[64];
              std::snprintf(clock, sizeof clock, "00:%02ld:%02ld.%03ld", ms / 60000, ms / 1000 % 60,
                            ms % 1000);
              return std::string(clock);
          }));
    batch({});
    EXPECT_EQ(report().at("A/Film.dots.srt").value("action", ""), "damaged");
    batch({"--mend"});
    const nlohmann::json line = report().at("A/Film.dots.srt");
    EXPECT_EQ(line.value("action", ""), "would write");
    EXPECT_THAT(line.value("mended", ""), HasSubstr("time lines written in the standard form"));
    EXPECT_FALSE(report().at("A/Film.en.srt").contains("mended"));
}

TEST_F(AutosyncBatch, OptionsThatDoNotGoTogether) {
    const std::string dir = m_library.string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"autosync", "--batch", dir, "--in-place", "--out", path("x")},
             {"autosync", "--batch", dir, "--jobs", "0"},
             {"autosync", "--batch", dir, "--shard", "3/3"},
             {"autosync", "--batch", dir, "--shard", "1"},
             {"autosync", "--batch", dir, "-o", path("x")},
             {"autosync", path("a.srt"), "--in-place"},
             {"autosync"}})
        EXPECT_EQ(RunCli(args).code, 2) << testing::PrintToString(args);
    EXPECT_EQ(RunCli({"autosync", "--batch", path("nowhere")}).code, 1);
}

TEST_F(AutosyncCommand, ATimeThatWouldFallBeforeTheStartSaysWhatToDoAndWritesNothing) {
    // A subtitle before the speech, in a file running 4.3 s late: moved back, it would start
    // before 00:00:00.
    const std::string broken =
        write("broken.srt",
              "1\r\n00:00:00,100 --> 00:00:00,400\r\nEarly\r\n\r\n" + Broken(m_truth, 1.0, 4321.0));
    const Result r = RunCli(
        {"autosync", broken, "--reference", kClips + "/dialogue.srt", "-o", path("out.srt")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "Invalid argument to time encode\nSubtitle 1 (line 2) would start before "
                     "00:00:00. A subtitle file's times run from 00:00:00 to 23:59:59: the times "
                     "found in the movie's sound do not fit these subtitles: check that the movie "
                     "is the one they belong to, from its very beginning.\n");
    EXPECT_FALSE(fs::exists(path("out.srt")));
}

// A movie with an English sound stream (three phrases, flagged default) and a French one (the
// dialogue): the French subtitles fit only the French sound.
TEST_F(AutosyncCommand, TheSubtitlesLanguageOrStreamChoosesTheSoundStream) {
    const std::string two = kClips + "/two-languages.mkv";
    const std::string late = Broken(m_truth, 1.0, 3200.0);
    struct Run {
        const char* name;
        std::vector<std::string> stream;
        int code;
        const char* listened;
    };
    // The tagged file goes first: its stream's speech, kept in the cache, must not be handed to
    // the untagged one after it.
    for (const Run& run : {Run{"Two.fr.srt", {}, 0, "stream 2 (sound, fre)"},
                           Run{"Two.fr.srt", {}, 0, "stream 2 (sound, fre)"},
                           Run{"Two.srt", {}, 5, "stream 1 (sound, eng)"},
                           Run{"Two.fra.forced.srt", {}, 0, "stream 2 (sound, fre)"},
                           Run{"Two.srt", {"--stream", "a:fr"}, 0, "stream 2 (sound, fre)"},
                           Run{"Two.srt", {"--stream", "a:1"}, 0, "stream 2 (sound, fre)"},
                           Run{"Two.srt", {"--stream", "2"}, 0, "stream 2 (sound, fre)"},
                           Run{"Two.fr.srt", {"--stream", "a:eng"}, 5, "stream 1 (sound, eng)"},
                           Run{"Two.fr.srt", {"--stream", "a:0"}, 5, "stream 1 (sound, eng)"}}) {
        SCOPED_TRACE(run.name + testing::PrintToString(run.stream));
        const std::string broken = write(run.name, late);
        std::vector<std::string> args{"autosync", broken, two, "-o", path("out.srt")};
        args.insert(args.end(), run.stream.begin(), run.stream.end());
        fs::remove(path("out.srt"));
        const Result r = RunCli(args);
        EXPECT_EQ(r.code, run.code) << r.err;
        EXPECT_THAT(r.out, testing::StartsWith(std::string("listening to ") + run.listened + "\n"));
        if (run.code == 0) {
            const auto want = Times(m_truth), got = Times(Read(path("out.srt")));
            ASSERT_EQ(got.size(), want.size());
            for (std::size_t i = 0; i < want.size(); i += 2)
                EXPECT_NEAR(double(got[i]), double(want[i]), 150.0) << "subtitle " << i / 2 + 1;
        }
    }
    const std::string srt = write("Two.srt", late);
    const Result none = RunCli({"autosync", srt, two, "--stream", "a:de"});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, "The movie " + two + " has no sound stream in language de\n");
    const Result bad = RunCli({"autosync", srt, two, "--stream", "a:2"});
    EXPECT_EQ(bad.err, "The movie " + two +
                           " has 2 sound streams: there is no sound stream 2 (counted from 0)\n");
    const Result picture = RunCli({"autosync", srt, two, "--stream", "0"});
    EXPECT_EQ(picture.err, "Stream 0 of " + two + " is not a sound stream\n");
    const Result wrong = RunCli({"autosync", srt, two, "--stream", "fr"});
    EXPECT_EQ(wrong.code, 2);
    EXPECT_THAT(wrong.err, HasSubstr("--stream fr is not a stream: give an index (2)"));
}

struct InsideMovie {
    const char* movie;
    const char* stream; // "" for none
    const char* used;
};

void PrintTo(const InsideMovie& p, std::ostream* os) {
    *os << p.movie << " --stream '" << p.stream << "'";
}

class AutosyncReferenceInMovie : public AutosyncCommand,
                                 public testing::WithParamInterface<InsideMovie> {};

// The right subtitles inside the movie are as good a reference as the file they were made of.
TEST_P(AutosyncReferenceInMovie, FitsToItsSubtitleStreamToTheMillisecond) {
    const InsideMovie& p = GetParam();
    const std::string broken = write("broken.srt", Broken(m_truth, 25.0 / 24.0, 2100.0));
    std::vector<std::string> args{"autosync", broken,         "--reference", kClips + "/" + p.movie,
                                  "-o",       path("out.srt")};
    if (*p.stream)
        args.insert(args.end(), {"--stream", p.stream});
    const Result r = RunCli(args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_THAT(r.out, testing::StartsWith(std::string("reference: ") + p.used + "\n"));
    const auto want = Times(m_truth), got = Times(Read(path("out.srt")));
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_NEAR(double(got[i]), double(want[i]), 3.0) << "time " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, AutosyncReferenceInMovie,
    testing::Values(InsideMovie{"dialogue-subrip.mkv", "s:0", "stream 2 (subtitles, eng)"},
                    InsideMovie{"dialogue-subrip.mkv", "s:en", "stream 2 (subtitles, eng)"},
                    InsideMovie{"dialogue-subrip.mkv", "2", "stream 2 (subtitles, eng)"},
                    InsideMovie{"dialogue-subrip.mkv", "", "stream 2 (subtitles, eng)"},
                    InsideMovie{"dialogue-ass.mkv", "s:0", "stream 2 (subtitles)"},
                    InsideMovie{"dialogue-webvtt.mkv", "s:0", "stream 2 (subtitles)"},
                    InsideMovie{"dialogue-movtext.mp4", "s:0", "stream 1 (subtitles)"}));

TEST_F(AutosyncCommand, AReferenceMovieWithoutTheSubtitleStreamAsked) {
    const std::string srt = write("a.srt", m_truth);
    const std::string subrip = kClips + "/dialogue-subrip.mkv";
    const Result sound = RunCli({"autosync", srt, "--reference", subrip, "--stream", "1"});
    EXPECT_EQ(sound.code, 1);
    EXPECT_EQ(sound.err, "Stream 1 of " + subrip + " is not a subtitle stream\n");
    const Result none = RunCli({"autosync", srt, "--reference", kClips + "/dialogue.mkv"});
    EXPECT_EQ(none.err, "The movie " + kClips + "/dialogue.mkv has no subtitle stream\n");
    const Result kind = RunCli({"autosync", srt, "--reference", subrip, "--stream", "a:0"});
    EXPECT_EQ(kind.err, "Here --stream takes a subtitle stream (s:...)\n");
    EXPECT_EQ(RunCli({"autosync", srt, "--reference", srt, "--stream", "a:0"}).code, 2);
}

// In a folder of films each subtitle listens to the sound stream of its own language, and the
// report says which.
TEST_F(AutosyncCommand, BatchReportsTheStreamEachSubtitleListenedTo) {
    const fs::path library = m_folder / "library";
    fs::create_directories(library);
    fs::copy_file(kClips + "/two-languages.mkv", library / "Two.mkv");
    const std::string late = Broken(m_truth, 1.0, 3200.0);
    write("library/Two.fr.srt", late);
    write("library/Two.srt", late);
    const Result r = RunCli(
        {"autosync", "--batch", library.string(), "--report", path("report.jsonl"), "--no-cache"});
    EXPECT_EQ(r.code, 0) << r.err;
    const auto lines = ReportLines(Read(path("report.jsonl")), library);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines.at("Two.fr.srt")["stream"],
              nlohmann::json::parse(R"({"index":2,"language":"fre"})"));
    EXPECT_EQ(lines.at("Two.fr.srt")["action"], "would write");
    EXPECT_EQ(lines.at("Two.srt")["stream"],
              nlohmann::json::parse(R"({"index":1,"language":"eng"})"));
    EXPECT_EQ(lines.at("Two.srt")["action"], "refused");

    const Result asked = RunCli({"autosync", "--batch", library.string(), "--report",
                                 path("report.jsonl"), "--stream", "a:1"});
    const auto both = ReportLines(Read(path("report.jsonl")), library);
    for (const auto& [subtitle, line] : both) {
        SCOPED_TRACE(subtitle);
        EXPECT_EQ(line["stream"]["index"], 2);
        EXPECT_EQ(line["action"], "would write");
    }
    EXPECT_EQ(RunCli({"autosync", "--batch", library.string(), "--stream", "b:1"}).code, 2);
    const Result subtitles = RunCli({"autosync", "--batch", library.string(), "--stream", "s:0"});
    EXPECT_EQ(subtitles.code, 2);
    EXPECT_THAT(subtitles.err, HasSubstr("--batch listens to a sound stream: give --stream a:N, "
                                         "a:LANGUAGE or an index"));
}

TEST_F(AutosyncCommand, UsageErrors) {
    const std::string srt = write("a.srt", m_truth);
    EXPECT_EQ(RunCli({"autosync", srt}).code, 2);
    EXPECT_EQ(RunCli({"autosync", srt, kClips + "/dialogue.mkv", "--reference", srt}).code, 2);
    EXPECT_EQ(RunCli({"autosync", srt, kClips + "/dialogue.mkv", "-o", srt}).code, 2);
    EXPECT_EQ(RunCli({"autosync", srt, "--reference", srt, "--fps", "0"}).code, 2);
}

} // namespace
} // namespace velkar::autosync
