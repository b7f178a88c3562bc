// The AVI reader on the files that matter for its speed: a large file that is no AVI but is
// named like one (scanned to its very end), and real AVIs (both passes, the movie data and the
// index skipped). The files are made in a temporary folder that goes when the run ends.

#include "avi/AviPars.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace velkar {
namespace {

namespace fs = std::filesystem;

class BenchFolder {
  public:
    BenchFolder() {
        std::random_device seed;
        m_path = fs::temp_directory_path() / ("velkar-avi-bench-" + std::to_string(seed()));
        fs::create_directories(m_path);
    }
    ~BenchFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    std::string file(const std::string& name) const { return (m_path / name).string(); }

  private:
    fs::path m_path;
};

const BenchFolder& Folder() {
    static const BenchFolder folder;
    return folder;
}

// A new sparse file of 1 GiB of zeros: no disk space, yet every byte is read and looked at.
std::string SparseNonAvi(const std::string& name) {
    const std::string path = Folder().file(name);
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    const bool made = fd >= 0 && ::ftruncate(fd, off_t{1} << 30) == 0;
    if (fd >= 0)
        ::close(fd);
    return made ? path : std::string();
}

// 64 MiB of random bytes, like compressed movie data in a file that is no AVI: about one byte
// in fourteen can begin a code and must be looked at more closely.
const std::string& RandomNonAvi() {
    static const std::string path = [] {
        const std::string name = Folder().file("random.avi");
        std::mt19937_64 random(2026);
        std::vector<std::uint64_t> block(1 << 17);
        std::ofstream out(name, std::ios::binary);
        for (int i = 0; i < 64; ++i) {
            for (auto& word : block)
                word = random();
            out.write(reinterpret_cast<const char*>(block.data()),
                      static_cast<std::streamsize>(block.size() * sizeof block[0]));
        }
        return out ? name : std::string();
    }();
    return path;
}

// A 10-second 320x240 clip at 25 fps with PCM sound, made by ffmpeg.
const std::string& FfmpegClip() {
    static const std::string path = [] {
        const std::string name = Folder().file("clip.avi");
        const std::string command =
            "ffmpeg -nostdin -y -loglevel error -f lavfi -i testsrc=duration=10:size=320x240:"
            "rate=25 -f lavfi -i sine=duration=10 -c:v mpeg4 -c:a pcm_s16le '" +
            name + "' >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 ? name : std::string();
    }();
    return path;
}

const std::string& CorpusDivx() {
    static const std::string path =
        (fs::path(VELKAR_CORPUS_DIR) / "avi" / "mimetype-2019-divx5-512x384-25fps.avi").string();
    return path;
}

void Scan(benchmark::State& state, const std::string& path) {
    if (path.empty() || !fs::exists(path)) {
        state.SkipWithError("the file could not be made");
        return;
    }
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const AviChunks chunks = ScanAviChunks(path);
        benchmark::DoNotOptimize(chunks);
        bytes += chunks.AviFileSize;
    }
    state.SetBytesProcessed(bytes);
}

// The file as the scan first meets it: each pass gets a new one, whose pages the system has
// yet to make.
void BM_ScanSparseNonAvi1GiBCold(benchmark::State& state) {
    std::int64_t bytes = 0;
    int pass = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::error_code ignored;
        fs::remove(Folder().file("cold" + std::to_string(pass) + ".avi"), ignored);
        const std::string path = SparseNonAvi("cold" + std::to_string(++pass) + ".avi");
        state.ResumeTiming();
        if (path.empty()) {
            state.SkipWithError("the file could not be made");
            return;
        }
        bytes += ScanAviChunks(path).AviFileSize;
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ScanSparseNonAvi1GiBCold)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same file again and again, its pages cached: the scan's own speed.
void BM_ScanSparseNonAvi1GiBWarm(benchmark::State& state) {
    static const std::string path = SparseNonAvi("warm.avi");
    if (!path.empty())
        ScanAviChunks(path); // brings the pages in
    Scan(state, path);
}
BENCHMARK(BM_ScanSparseNonAvi1GiBWarm)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ScanRandomNonAvi64MiB(benchmark::State& state) {
    Scan(state, RandomNonAvi());
}
BENCHMARK(BM_ScanRandomNonAvi64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void TwoPasses(benchmark::State& state, const std::string& path) {
    if (path.empty() || !fs::exists(path)) {
        state.SkipWithError("no such AVI");
        return;
    }
    AviInfo info;
    for (auto _ : state) {
        const AviChunks chunks = ScanAviChunks(path);
        ReadAviHeaders(path, chunks, info);
        benchmark::DoNotOptimize(info);
    }
}

void BM_TwoPassesFfmpegClip(benchmark::State& state) {
    TwoPasses(state, FfmpegClip());
}
BENCHMARK(BM_TwoPassesFfmpegClip)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TwoPassesCorpusDivx(benchmark::State& state) {
    TwoPasses(state, CorpusDivx());
}
BENCHMARK(BM_TwoPassesCorpusDivx)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace velkar

BENCHMARK_MAIN();
