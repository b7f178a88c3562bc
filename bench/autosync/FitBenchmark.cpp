// The fit alone on a 2-hour film: 1,800 subtitles and their speech in a 720,000-frame mask,
// the file late by 41 s and timed for 25 frames per second instead of 23.976.

#include "autosync/Fit.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace velkar::autosync;

struct Film {
    std::vector<Interval> file;
    SpeechMask speech;
};

Film MakeFilm() {
    std::mt19937 random(42);
    std::uniform_real_distribution<double> length(1000, 5000), gap(200, 5000), late(20, 80);
    std::vector<Interval> truth, heard;
    for (double t = 3000; t < 7200000 - 6000;) {
        const double d = length(random);
        truth.push_back({t, t + d});
        heard.push_back({t + late(random), t + 0.85 * d});
        t += d + gap(random);
    }
    Film film;
    film.speech = MaskOfIntervals(heard, 7200000);
    const double stretch = 25.0 / (24000.0 / 1001.0), offset = -41000.0;
    for (const Interval& s : truth)
        film.file.push_back({(s.start - offset) / stretch, (s.end - offset) / stretch});
    return film;
}

void FitTwoHourFilm(benchmark::State& state) {
    const Film film = MakeFilm();
    FitOptions options;
    options.split = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(FitToSpeech(film.file, film.speech, options));
    state.SetLabel(options.split ? "--split" : "one line");
}
BENCHMARK(FitTwoHourFilm)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
