#include "strip/TimingStrip.h"

#include "app/Guard.h"
#include "autosync/SpeechCache.h"
#include "autosync/SubtitleSpeech.h"
#include "document/Format.h"
#include "document/Progress.h"
#include "document/TimeCode.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"
#include "strip/StripCanvas.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <cmath>
#include <exception>

namespace velkar::gui {

namespace {
constexpr int kProgressSteps = 1000;
constexpr int kTickMs = 40;
} // namespace

// One analysis of a movie's sound, on a thread of its own.
struct TimingStrip::Analysis final : autosync::AnalysisProgress {
    std::string movie;
    int stream = -1;
    std::atomic<double> fraction{0.0};
    std::atomic<bool> stop{false};
    std::optional<autosync::MovieSpeech> found;
    std::exception_ptr error;
    QThread* thread = nullptr;

    void advanced(double f) override { fraction = f; }
    bool cancelled() const override { return stop; }
    void work() {
        using namespace autosync;
        try {
            const SpeechCache cache(SpeechCache::DefaultDirectory());
            found = SpeechThroughCache(
                movie, stream, &cache, [&] { return DetectMovieSpeech(movie, stream, *this); },
                nullptr, true);
        } catch (...) {
            error = std::current_exception();
        }
    }
    ~Analysis() override {
        stop = true;
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
};

TimingStrip::TimingStrip(TForm1& form, QWidget* parent) : QWidget(parent, Qt::Tool), m_form(form) {
    setObjectName(QStringLiteral("TimingStrip"));
    setWindowTitle(QStringLiteral("Timing Strip"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    auto* row = new QHBoxLayout;
    const auto button = [&](const char* name, const char* caption, const char* tip) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(tip));
        row->addWidget(b);
        return b;
    };
    cmdUndo = button("cmdUndo", "Undo",
                     "Undo the last change of the subtitles' times or lines "
                     "(Ctrl+Z)");
    cmdRedo = button("cmdRedo", "Redo", "Redo the change undone last (Ctrl+Shift+Z)");
    cmdSyncPoint =
        button("cmdSyncPoint", "Sync Point",
               "Pin the selected subtitle's start to the play position (or select a block and "
               "right-click where its speech starts)");
    cmdApply = button("cmdApply", "Apply", "Re-time the subtitles through the sync points");
    cmdClearPoints = button("cmdClearPoints", "Clear Points", "Forget the sync points");
    pgrSound = new QProgressBar(this);
    pgrSound->setRange(0, kProgressSteps);
    pgrSound->setTextVisible(false);
    pgrSound->setMaximumWidth(120);
    row->addWidget(pgrSound);
    lblStatus = new QLabel(this);
    row->addWidget(lblStatus, 1);
    column->addLayout(row);
    auto* body = new QHBoxLayout;
    canvas = new StripCanvas(*this, this);
    body->addWidget(canvas, 1);
    lstPoints = new QListWidget(this);
    lstPoints->setMaximumWidth(260);
    body->addWidget(lstPoints);
    column->addLayout(body, 1);

    ConnectGuarded(cmdUndo, &QPushButton::clicked, this, [this] { m_form.undoChange(); });
    ConnectGuarded(cmdRedo, &QPushButton::clicked, this, [this] { m_form.redoChange(); });
    ConnectGuarded(cmdSyncPoint, &QPushButton::clicked, this, [this] {
        if (m_selected >= 0 && playMs() >= 0)
            addSyncPoint(m_selected, playMs());
    });
    ConnectGuarded(cmdApply, &QPushButton::clicked, this, [this] { applySyncPoints(); });
    ConnectGuarded(cmdClearPoints, &QPushButton::clicked, this, [this] { clearSyncPoints(); });

    // Only while the strip is shown: a hidden strip costs nothing.
    m_timer = new QTimer(this);
    m_timer->setInterval(kTickMs);
    connect(m_timer, &QTimer::timeout, this, [this] { tick(); });
    resize(900, 170);
    documentChanged();
}

TimingStrip::~TimingStrip() = default;

void TimingStrip::showEvent(QShowEvent* event) {
    m_timer->start();
    tick();
    QWidget::showEvent(event);
}

void TimingStrip::hideEvent(QHideEvent* event) {
    m_timer->stop();
    QWidget::hideEvent(event);
}

double TimingStrip::valueToMs(TimeValue value) const {
    const double rate =
        m_sound && m_sound->frameRate > 0 ? m_sound->frameRate : autosync::kDefaultFrameRate;
    return autosync::ValueToMs(m_form.document().SubtitleFormat, value, rate);
}

TimeValue TimingStrip::msToValue(double ms) const {
    const SubtitleDocument& doc = m_form.document();
    const double rate =
        m_sound && m_sound->frameRate > 0 ? m_sound->frameRate : autosync::kDefaultFrameRate;
    const TimeValue value = autosync::MsToValue(doc.SubtitleFormat, std::max(0.0, ms), rate);
    const FormatEntry* format = FindFormat(doc.SubtitleFormat);
    return RoundToUnit(value, format ? format->unit : 1);
}

double TimingStrip::playMs() const {
    const playback::MediaPlayer& player = m_form.player();
    if (!player.isOpen())
        return -1;
    const double position = player.position();
    if (player.unit() != playback::PlayerUnit::Frames)
        return position;
    const double rate =
        m_sound && m_sound->frameRate > 0 ? m_sound->frameRate : autosync::kDefaultFrameRate;
    return position * 1000.0 / rate;
}

std::vector<strip::Span> TimingStrip::spansOf(const SubtitleDocument& doc) const {
    std::vector<strip::Span> spans;
    if (!doc.SubtitleLoaded || !HasTimingTable(doc.SubtitleFormat) || !doc.ParseFailure.empty())
        return spans;
    const std::size_t n = doc.FinishedCount();
    spans.reserve(n);
    for (std::size_t i = 0; i < n; ++i)
        spans.push_back({valueToMs(doc.start(i)), valueToMs(doc.end(i))});
    return spans;
}

QString TimingStrip::blockText(int subtitle) const {
    const SubtitleDocument& doc = m_form.document();
    if (subtitle < 0 || std::size_t(subtitle) >= doc.SubtitleTexts.size())
        return {};
    return m_form.screenText(
        ListText(doc.SubtitleFormat, doc.SubtitleTexts[std::size_t(subtitle)]));
}

strip::Span TimingStrip::draggedSpan(int subtitle, strip::Grip grip, double deltaMs) const {
    const SubtitleDocument& doc = m_form.document();
    const auto i = std::size_t(subtitle);
    const FormatEntry* format = FindFormat(doc.SubtitleFormat);
    const std::int64_t delta = msToValue(valueToMs(doc.start(i)) + deltaMs) - doc.start(i);
    const auto [start, end] =
        strip::DraggedTimes(doc.start(i), doc.end(i), grip, delta, format ? format->unit : 1);
    return {valueToMs(start), valueToMs(end)};
}

void TimingStrip::select(int subtitle) {
    m_selected = subtitle;
    canvas->update();
}

void TimingStrip::seekTo(double ms) {
    playback::MediaPlayer& player = m_form.player();
    if (!player.isOpen())
        return;
    const double rate =
        m_sound && m_sound->frameRate > 0 ? m_sound->frameRate : autosync::kDefaultFrameRate;
    const double position = player.unit() == playback::PlayerUnit::Frames ? ms * rate / 1000.0 : ms;
    player.seekTo(std::llround(std::max(0.0, position)));
    canvas->update();
}

void TimingStrip::retime(int subtitle, TimeValue start, TimeValue end) {
    SubtitleDocument& doc = m_form.document();
    const auto i = std::size_t(subtitle);
    if (start == doc.start(i) && end == doc.end(i))
        return;
    strip::SetSubtitleTimes(doc, i, start, end);
    m_form.documentRetimed(QStringLiteral("Subtitle %1: %2 -> %3")
                               .arg(subtitle + 1)
                               .arg(QString::fromStdString(TimeToText(doc.SubtitleFormat, start)))
                               .arg(QString::fromStdString(TimeToText(doc.SubtitleFormat, end))));
}

void TimingStrip::setStartAt(double ms) {
    const SubtitleDocument& doc = m_form.document();
    if (m_selected < 0 || std::size_t(m_selected) >= doc.FinishedCount())
        return;
    retime(m_selected, msToValue(ms), doc.end(std::size_t(m_selected)));
}

void TimingStrip::setEndAt(double ms) {
    const SubtitleDocument& doc = m_form.document();
    if (m_selected < 0 || std::size_t(m_selected) >= doc.FinishedCount())
        return;
    retime(m_selected, doc.start(std::size_t(m_selected)), msToValue(ms));
}

void TimingStrip::dragBlock(int subtitle, strip::Grip grip, double deltaMs) {
    const SubtitleDocument& doc = m_form.document();
    if (subtitle < 0 || std::size_t(subtitle) >= doc.FinishedCount())
        return;
    const auto i = std::size_t(subtitle);
    const FormatEntry* format = FindFormat(doc.SubtitleFormat);
    const std::int64_t delta = msToValue(valueToMs(doc.start(i)) + deltaMs) - doc.start(i);
    const auto [start, end] =
        strip::DraggedTimes(doc.start(i), doc.end(i), grip, delta, format ? format->unit : 1);
    retime(subtitle, start, end);
}

void TimingStrip::addSyncPoint(int subtitle, double ms) {
    const SubtitleDocument& doc = m_form.document();
    if (subtitle < 0 || std::size_t(subtitle) >= doc.FinishedCount())
        return;
    const strip::SyncPoint point{subtitle, msToValue(ms)};
    std::erase_if(m_points, [&](const strip::SyncPoint& p) { return p.subtitle == subtitle; });
    m_points.push_back(point);
    std::sort(m_points.begin(), m_points.end(),
              [&](const strip::SyncPoint& a, const strip::SyncPoint& b) {
                  return doc.start(std::size_t(a.subtitle)) < doc.start(std::size_t(b.subtitle));
              });
    refreshPoints();
}

void TimingStrip::clearSyncPoints() {
    m_points.clear();
    refreshPoints();
}

void TimingStrip::applySyncPoints() {
    if (m_points.size() < 2)
        throw VelkarError("Apply needs two sync points or more: select a subtitle's block and "
                          "right-click where its speech starts, or press Sync Point at the play "
                          "position");
    SubtitleDocument& doc = m_form.document();
    NoProgress progress;
    const std::vector<strip::Span> before = m_blocks;
    const SynchOutcome outcome = strip::ApplySyncPoints(doc, m_points, progress);
    m_points.clear();
    const QString result = QString::fromStdString(SynchResultText(outcome, doc.SubtitleFormat));
    if (outcome.kind == SynchKind::InPlace) {
        refreshPoints();
        m_form.reportResult(result);
        return;
    }
    m_form.documentRetimed(result);
    m_ghosts = before;
    refreshPoints();
}

void TimingStrip::refreshPoints() {
    const SubtitleDocument& doc = m_form.document();
    lstPoints->clear();
    for (const strip::SyncPoint& point : m_points) {
        const auto i = std::size_t(point.subtitle);
        lstPoints->addItem(
            QStringLiteral("%1) %2 -> %3")
                .arg(point.subtitle + 1)
                .arg(QString::fromStdString(TimeToText(doc.SubtitleFormat, doc.start(i))))
                .arg(QString::fromStdString(TimeToText(doc.SubtitleFormat, point.value))));
    }
    cmdApply->setEnabled(m_points.size() >= 2);
    updatePreview();
    canvas->update();
}

void TimingStrip::updatePreview() {
    m_preview.clear();
    if (m_points.size() < 2)
        return;
    SubtitleDocument copy = m_form.document();
    NoProgress progress;
    try {
        strip::ApplySyncPoints(copy, m_points, progress);
        m_preview = spansOf(copy);
    } catch (const std::exception&) {
        // Points that cannot re-time (equal or backward times) show no preview; Apply says why.
    }
}

void TimingStrip::documentReplaced() {
    m_points.clear();
    m_selected = -1;
    m_blocks.clear();
    documentChanged();
    m_ghosts.clear();
}

void TimingStrip::documentChanged() {
    std::vector<strip::Span> spans = spansOf(m_form.document());
    // A change that moved many subtitles at once leaves their old places as ghosts.
    std::size_t moved = 0;
    if (spans.size() == m_blocks.size())
        for (std::size_t i = 0; i < spans.size(); ++i)
            moved += spans[i].startMs != m_blocks[i].startMs || spans[i].endMs != m_blocks[i].endMs;
    if (moved > 1)
        m_ghosts = m_blocks;
    else if (spans.size() != m_blocks.size())
        m_ghosts.clear();
    m_blocks = std::move(spans);
    if (m_selected >= int(m_blocks.size()))
        m_selected = -1;
    std::erase_if(m_points, [&](const strip::SyncPoint& p) {
        return std::size_t(p.subtitle) >= m_blocks.size();
    });
    // The strip reaches the end of the sound and of the last subtitle (late subtitles of a film
    // cut shorter must stay in reach).
    double lastEnd = 0;
    for (const strip::Span& block : m_blocks)
        lastEnd = std::max(lastEnd, block.endMs);
    m_view.setFilmMs(std::max(m_sound ? m_sound->speech.lengthMs() : 0.0, lastEnd + 1000));
    refreshPoints();
}

void TimingStrip::tick() {
    if (!isVisible())
        return;
    const QString movie = m_form.player().isOpen() ? m_form.playback().moviePath() : QString();
    if (!movie.isEmpty()) {
        // Another movie, or another of its sound streams chosen in the window.
        const int stream = m_form.soundStream();
        if (movie != m_soundMovie || stream != m_soundStream)
            startAnalysis(movie, stream);
    }
    if (m_run)
        pgrSound->setValue(static_cast<int>(m_run->fraction.load() * kProgressSteps));
    const double play = playMs();
    if (play >= 0 && m_form.player().mode() == playback::PlayerMode::Playing)
        m_view.follow(play);
    canvas->update();
}

void TimingStrip::startAnalysis(const QString& movie, int stream) {
    m_run.reset(); // an analysis of another movie stops
    m_sound.reset();
    m_soundMovie = movie;
    m_soundStream = stream;
    auto run = std::make_shared<Analysis>();
    run->movie = QFile::encodeName(movie).toStdString();
    run->stream = stream;
    Analysis* raw = run.get();
    run->thread = QThread::create([raw] { raw->work(); });
    connect(run->thread, &QThread::finished, this, [this, raw] {
        if (m_run.get() == raw)
            Guarded(this, [this] { analysisFinished(); });
    });
    m_run = run;
    lblStatus->setText(QStringLiteral("Listening to the movie's sound..."));
    run->thread->start();
}

void TimingStrip::analysisFinished() {
    const std::shared_ptr<Analysis> run = std::move(m_run);
    run->thread->wait();
    pgrSound->setValue(0);
    if (run->error) {
        lblStatus->setText(QString());
        std::rethrow_exception(run->error);
    }
    if (!run->found) {
        lblStatus->setText(QString());
        return;
    }
    lblStatus->setText(QString());
    showSound(std::make_shared<const autosync::MovieSpeech>(std::move(*run->found)));
}

void TimingStrip::showSound(std::shared_ptr<const autosync::MovieSpeech> sound) {
    m_sound = std::move(sound);
    documentChanged(); // MicroDVD blocks move to the movie's frame rate
    m_ghosts.clear();
    emit soundReady();
}

} // namespace velkar::gui
