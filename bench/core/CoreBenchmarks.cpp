// The core's steps on a 65,535-subtitle SubRip document, each timed on its own.

#include "document/Detection.h"
#include "document/LineIo.h"
#include "document/Opening.h"
#include "document/Parsing.h"
#include "document/TimeCode.h"
#include "playback/OverlaySearch.h"
#include "sync/FixSynch.h"
#include "sync/RebuildLines.h"

#include <benchmark/benchmark.h>

#include <random>

namespace velkar {
namespace {

// The bytes of a SubRip file of `count` subtitles, about 1.2 s apart, one or two text lines each.
const std::string& SubRipBytes() {
    static const std::string bytes = [] {
        std::mt19937 random(2026);
        std::string out;
        std::int32_t t = 1000;
        for (int k = 1; k <= 65535; ++k) {
            const std::int32_t length = 700 + static_cast<std::int32_t>(random() % 400);
            out += std::to_string(k) + "\r\n" + TimeToText(sfSubRip, t) + " --> " +
                   TimeToText(sfSubRip, t + length) + "\r\nWhere are you going tonight?\r\n";
            if (random() % 2)
                out += "I told him the truth.\r\n";
            out += "\r\n";
            t += length + 50 + static_cast<std::int32_t>(random() % 150);
        }
        return out;
    }();
    return bytes;
}

SubtitleDocument OpenedDocument() {
    SubtitleDocument doc;
    doc.SubtitleLines = LineStore::Split(SubRipBytes());
    NoProgress progress;
    Recognise(doc, progress);
    FinishOpen(doc, progress);
    return doc;
}

void BM_SplitLines(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(LineStore::Split(SubRipBytes()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * SubRipBytes().size()));
}
BENCHMARK(BM_SplitLines)->Unit(benchmark::kMillisecond);

void BM_DetectFormat(benchmark::State& state) {
    SubtitleDocument doc;
    doc.SubtitleLines = LineStore::Split(SubRipBytes());
    NoProgress progress;
    for (auto _ : state)
        benchmark::DoNotOptimize(DetectFormat(doc, progress));
}
BENCHMARK(BM_DetectFormat)->Unit(benchmark::kMillisecond);

void BM_ParseSubtitles(benchmark::State& state) {
    SubtitleDocument doc = OpenedDocument();
    NoProgress progress;
    for (auto _ : state)
        ParseSubtitles(doc, progress);
}
BENCHMARK(BM_ParseSubtitles)->Unit(benchmark::kMillisecond);

void BM_FixSynch(benchmark::State& state) {
    SubtitleDocument doc = OpenedDocument();
    NoProgress progress;
    // Alternate between two pairs of typed times, so that every press re-times the document.
    bool stretch = true;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FixSynch(doc, stretch ? "00:00:02,000" : "00:00:01,000",
                                          stretch ? "21:00:00,000" : "19:00:00,000", 3, progress));
        stretch = !stretch;
    }
}
BENCHMARK(BM_FixSynch)->Unit(benchmark::kMillisecond);

void BM_RebuildLines(benchmark::State& state) {
    SubtitleDocument doc = OpenedDocument();
    NoProgress progress;
    for (auto _ : state)
        RebuildLines(doc, progress);
}
BENCHMARK(BM_RebuildLines)->Unit(benchmark::kMillisecond);

void BM_FindCurrentSubtitle(benchmark::State& state) {
    const SubtitleDocument doc = OpenedDocument();
    const std::int32_t last = doc.end(doc.SubtitleCount - 1u);
    std::int32_t pos = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindCurrentSubtitle(doc, pos));
        pos = (pos + 40) % last; // one 25 fps frame per tick
    }
}
BENCHMARK(BM_FindCurrentSubtitle);

} // namespace
} // namespace velkar

BENCHMARK_MAIN();
