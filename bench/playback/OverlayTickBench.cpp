// One overlay tick's own work with a 65,535-subtitle document loaded: the position and length
// from the built-in player, the search for the subtitle showing, the label text, and the label
// set only when that text changed. The player is real libmpv (no picture, no sound) on a clip
// ffmpeg makes at start; the tick runs a thousand times a second, so it must stay in the tens
// of microseconds.

#include "document/SubtitleDocument.h"
#include "playback/MpvPlayer.h"
#include "playback/OverlayCaption.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace velkar {
namespace {

// 65,535 SubRip subtitles about 1.2 s apart, one or two lines each (about 22 hours).
const SubtitleDocument& BigDocument() {
    static const SubtitleDocument doc = [] {
        SubtitleDocument d;
        d.SubtitleFormat = sfSubRip;
        d.SubtitleLoaded = true;
        d.SubtitleCount = 65535;
        std::mt19937 random(2026);
        std::int32_t t = 1000;
        for (auto& row : d.TimingTable)
            row.clear();
        d.SubtitleTexts.clear();
        for (int k = 0; k < 65535; ++k) {
            const std::int32_t length = 700 + static_cast<std::int32_t>(random() % 400);
            d.TimingTable[0].push_back(t);
            d.TimingTable[1].push_back(t + length);
            d.SubtitleTexts.push_back(random() % 2 ? "Where are you going tonight?"
                                                   : "Where are you going?[br]I told him.");
            d.SubtitleLineIndex.push_back(4 * k + 1);
            t += length + 500;
        }
        return d;
    }();
    return doc;
}

struct Fixture {
    QTemporaryDir folder;
    std::unique_ptr<playback::MpvPlayer> player;
    QLabel label;
    std::string shown;
    std::string caption;

    Fixture() {
        const QString clip = folder.filePath(QStringLiteral("clip.avi"));
        QProcess::execute(QStringLiteral("ffmpeg"),
                          {"-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i",
                           "testsrc=duration=10:size=320x240:rate=25", "-c:v", "mpeg4", clip});
        playback::MpvPlayer::Options options;
        options.picture = false;
        options.audioOutput = QStringLiteral("null");
        player = std::make_unique<playback::MpvPlayer>(options);
        player->open(clip);
        player->seek(5000);
        label.show();
    }

    // The tick, as the window runs it.
    void tick(std::int32_t position) {
        OverlayCaption(BigDocument(), position, player->length(), caption);
        if (caption == shown)
            return;
        shown = caption;
        label.setText(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())));
    }
};

Fixture& Tick() {
    static Fixture fixture;
    return fixture;
}

// The usual tick: the player stands (or moves less than a millisecond), the text is the same.
void BM_OverlayTickUnchanged(benchmark::State& state) {
    Fixture& f = Tick();
    for (auto _ : state)
        f.tick(f.player->position());
}
BENCHMARK(BM_OverlayTickUnchanged);

// A tick whose text changes every time: positions sweep the whole document, so the search
// gallops as far as it ever does and the label is set on each tick.
void BM_OverlayTickChanged(benchmark::State& state) {
    Fixture& f = Tick();
    const std::int32_t end = BigDocument().end(65534);
    std::int32_t position = 0;
    for (auto _ : state) {
        f.player->position(); // the query the tick makes, its answer replaced by the sweep
        f.tick(position);
        position = (position + 1'234'567) % end;
    }
}
BENCHMARK(BM_OverlayTickChanged);

} // namespace
} // namespace velkar

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
