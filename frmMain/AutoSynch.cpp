// Auto Synch: the movie's sound is decoded and listened to on a thread of its own; the window
// stays live, shows the progress on pgrBar and can stop it. The result fills the anchors' time
// fields only; Fix Synch stays the user's step.

#include "app/Guard.h"
#include "autosync/Fit.h"
#include "autosync/MovieSpeech.h"
#include "autosync/MovieStreams.h"
#include "autosync/SpeechCache.h"
#include "autosync/StreamChoice.h"
#include "autosync/SubtitleSpeech.h"
#include "autosync/Verdict.h"
#include "document/Errors.h"
#include "document/Report.h"
#include "document/TimeCode.h"
#include "frmMain/MaskedTimeEdit.h"
#include "frmMain/PlaybackCommands.h"
#include "frmMain/TForm1.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <exception>

namespace velkar::gui {

namespace {
const QString kAutoSynchCaption = QStringLiteral("Auto Synch");
const QString kCancelCaption = QStringLiteral("Cancel");
constexpr int kProgressSteps = 1000;
} // namespace

// One analysis: what it was asked (copied, so the document may change meanwhile), what it
// found, and the thread that does it.
struct TForm1::AutoSynchRun final : velkar::autosync::AnalysisProgress {
    std::string movie;
    int stream = -1;
    QString heading = QStringLiteral("Auto Synch"); // names the stream when there is a choice
    std::string subtitleFile;
    velkar::SubtitleFormat format = velkar::sfUnknown;
    std::vector<velkar::TimeValue> starts, ends;

    std::atomic<double> fraction{0.0};
    std::atomic<bool> stop{false};

    bool stopped = false;
    double frameRate = velkar::autosync::kDefaultFrameRate;
    velkar::autosync::FitResult fit;
    velkar::autosync::Judgement judgement;
    std::exception_ptr error;
    QThread* thread = nullptr;

    void advanced(double f) override { fraction = f; }
    bool cancelled() const override { return stop; }

    void work() {
        using namespace velkar::autosync;
        try {
            const SpeechCache cache(SpeechCache::DefaultDirectory());
            std::optional<MovieSpeech> heard = SpeechThroughCache(
                movie, stream, &cache, [&] { return DetectMovieSpeech(movie, stream, *this); });
            if (!heard) {
                stopped = true;
                return;
            }
            if (heard->frameRate > 0)
                frameRate = heard->frameRate;
            std::vector<Interval> spans;
            for (std::size_t i = 0; i < starts.size(); ++i)
                spans.push_back({ValueToMs(format, starts[i], frameRate),
                                 ValueToMs(format, ends[i], frameRate)});
            fit = FitToSpeech(spans, heard->speech, {});
            judgement = JudgeFit(spans, heard->speech, {}, fit);
        } catch (...) {
            error = std::current_exception();
        }
    }

    ~AutoSynchRun() override {
        stop = true;
        if (thread) {
            thread->wait();
            delete thread;
        }
    }
};

void TForm1::setUpAutoSynch() {
    m_autoSynchTimer = new QTimer(this);
    m_autoSynchTimer->setInterval(100);
    connect(m_autoSynchTimer, &QTimer::timeout, this, [this] { autoSynchTick(); });
    m_autoSynchTimer->start();
    autoSynchTick();
}

void TForm1::autoSynchTick() {
    // Where Fix Synch is (not while creating subtitles), with a document that has times and a
    // movie to listen to; always while a run can be cancelled.
    cmdAutoSynch->setHidden(cmdStretch->isHidden());
    const bool ready =
        m_document.SubtitleLoaded && velkar::HasTimingTable(m_document.SubtitleFormat) &&
        m_document.FinishedCount() > 0 && m_player->isOpen() && !m_playback->moviePath().isEmpty();
    cmdAutoSynch->setEnabled(m_autoSynch || ready);
    if (m_player->isOpen())
        readSoundStreams(m_playback->moviePath());
    if (m_autoSynch)
        pgrBar->setValue(static_cast<int>(m_autoSynch->fraction.load() * kProgressSteps));
}

void TForm1::cmdAutoSynchClick() {
    if (m_autoSynch) {
        m_autoSynch->stop = true;
        return;
    }
    if (!m_document.SubtitleLoaded || !velkar::HasTimingTable(m_document.SubtitleFormat) ||
        m_document.FinishedCount() == 0 || !m_player->isOpen() || m_playback->moviePath().isEmpty())
        return;
    keepAnchorsInRange();
    auto run = std::make_shared<AutoSynchRun>();
    run->movie = QFile::encodeName(m_playback->moviePath()).toStdString();
    run->stream = soundStream();
    if (!cboSoundStream->isHidden())
        run->heading =
            QStringLiteral("Auto Synch on sound stream %1").arg(cboSoundStream->currentText());
    run->subtitleFile = m_document.SubtitleFileName;
    run->format = m_document.SubtitleFormat;
    const std::size_t n = m_document.FinishedCount();
    run->starts.assign(m_document.TimingTable[0].begin(), m_document.TimingTable[0].begin() + n);
    run->ends.assign(m_document.TimingTable[1].begin(), m_document.TimingTable[1].begin() + n);
    AutoSynchRun* raw = run.get();
    run->thread = QThread::create([raw] { raw->work(); });
    connect(run->thread, &QThread::finished, this, [this] {
        Guarded(
            this, [this] { autoSynchFinished(); }, &m_codec);
    });
    m_autoSynch = run;
    // The result row tells of this run once it ends.
    showResult(QString());
    pgrBar->setMaximum(kProgressSteps);
    pgrBar->setValue(0);
    cmdAutoSynch->setText(kCancelCaption);
    run->thread->start();
}

void TForm1::readSoundStreams(const QString& movie) {
    if (movie == m_streamsMovie && m_document.SubtitleFileName == m_streamsSubtitle)
        return;
    using namespace velkar::autosync;
    const std::string language =
        LanguageOfFileName(m_document.SubtitleFileName, QFile::encodeName(movie).toStdString());
    const bool sameMovie = movie == m_streamsMovie;
    m_streamsMovie = movie;
    m_streamsSubtitle = m_document.SubtitleFileName;
    if (sameMovie) {
        for (const StreamFacts& s : m_soundStreams)
            if (s.kind == StreamKind::Sound && !language.empty() &&
                SameLanguage(s.language, language)) {
                cboSoundStream->setCurrentIndex(cboSoundStream->findData(s.index));
                break;
            }
        return;
    }
    cboSoundStream->clear();
    m_soundStreams.clear();
    try {
        if (!movie.isEmpty())
            m_soundStreams = ProbeStreams(QFile::encodeName(movie).toStdString());
    } catch (const std::exception&) {
        // Not a movie FFmpeg opens: Auto Synch will say so when asked.
    }
    int chosen = -1;
    try {
        chosen = ChooseStream(m_soundStreams, {}, std::nullopt, StreamKind::Sound, language).index;
    } catch (const std::exception&) {
        // No sound stream: nothing to choose from.
    }
    int sounds = 0;
    for (const StreamFacts& s : m_soundStreams) {
        if (s.kind != StreamKind::Sound)
            continue;
        ++sounds;
        QString text = QStringLiteral("%1: %2").arg(s.index).arg(
            s.language.empty() || s.language == "und" ? QStringLiteral("no language")
                                                      : QString::fromStdString(s.language));
        if (!s.codec.empty())
            text += QStringLiteral(" (%1)").arg(QString::fromStdString(s.codec));
        cboSoundStream->addItem(text, s.index);
        if (s.index == chosen)
            cboSoundStream->setCurrentIndex(cboSoundStream->count() - 1);
    }
    lblSoundStream->setVisible(sounds > 1);
    cboSoundStream->setVisible(sounds > 1);
}

int TForm1::soundStream() {
    if (m_player->isOpen())
        readSoundStreams(m_playback->moviePath());
    return cboSoundStream->count() > 0 ? cboSoundStream->currentData().toInt() : -1;
}

void TForm1::autoSynchFinished() {
    const std::shared_ptr<AutoSynchRun> run = std::move(m_autoSynch);
    if (!run)
        return;
    run->thread->wait();
    pgrBar->setValue(0);
    cmdAutoSynch->setText(kAutoSynchCaption);
    autoSynchTick();
    if (run->stopped || run->stop) {
        // Cancelled, even when the analysis had just ended.
        showResult(QStringLiteral("Auto Synch cancelled; nothing changed"));
        return;
    }
    if (run->error)
        std::rethrow_exception(run->error);
    // Another document was opened or the subtitles changed meanwhile: these times are not its.
    const std::size_t n = m_document.FinishedCount();
    if (m_document.SubtitleFileName != run->subtitleFile ||
        m_document.SubtitleFormat != run->format || n != run->starts.size() ||
        !std::equal(run->starts.begin(), run->starts.end(), m_document.TimingTable[0].begin())) {
        showResult(
            QStringLiteral("Auto Synch: the subtitles changed while it listened; nothing changed"));
        return;
    }
    using velkar::autosync::Verdict;
    const velkar::autosync::Judgement& judgement = run->judgement;
    if (judgement.verdict == Verdict::None) {
        showResult(QStringLiteral("%1: none; %2. Nothing changed")
                       .arg(run->heading, QString::fromStdString(judgement.reason)));
        return;
    }

    keepAnchorsInRange();
    const velkar::SubtitleFormat format = m_document.SubtitleFormat;
    const auto trueMs = [&](std::int32_t anchor) {
        const auto i = static_cast<std::size_t>(anchor);
        return run->fit.mapOf(i)(
            velkar::autosync::ValueToMs(format, m_document.start(i), run->frameRate));
    };
    const double firstMs = trueMs(m_document.FirstAnchor);
    const velkar::TimeValue first = velkar::autosync::MsToValue(format, firstMs, run->frameRate);
    const velkar::TimeValue last =
        velkar::autosync::MsToValue(format, trueMs(m_document.LastAnchor), run->frameRate);
    // Both texts first, so a time that has none changes neither field.
    const auto anchorText = [&](std::int32_t anchor, velkar::TimeValue value) {
        if (!velkar::CanEncode(format, value))
            throw velkar::TimeEncodeError(
                velkar::OutsideDayText(m_document, static_cast<std::size_t>(anchor), false, value,
                                       velkar::TimeSource::Sound));
        return QString::fromStdString(velkar::TimeToText(format, value));
    };
    const QString firstText = anchorText(m_document.FirstAnchor, first);
    const QString lastText = anchorText(m_document.LastAnchor, last);
    txtFirst->setTime(firstText);
    txtLast->setTime(lastText);
    const QString anchors = QStringLiteral("first anchor %1: %2; last anchor %3: %4")
                                .arg(m_document.FirstAnchor + 1)
                                .arg(firstText)
                                .arg(m_document.LastAnchor + 1)
                                .arg(lastText);
    if (judgement.verdict == Verdict::Sure)
        showResult(QStringLiteral("%1: sure. The true times: %2. Fix Synch applies them")
                       .arg(run->heading, anchors));
    else
        showResult(QStringLiteral("%1: unsure; %2. Check these times before Fix Synch: %3")
                       .arg(run->heading, QString::fromStdString(judgement.reason), anchors));
    // A player counting in another unit than the document (the external one, milliseconds,
    // with a MicroDVD document) is given the milliseconds.
    const bool sameUnit =
        (m_player->unit() == playback::PlayerUnit::Frames) == (format == velkar::sfMicroDVD);
    m_player->seekTo(sameUnit ? first : std::llround(firstMs));
}

} // namespace velkar::gui
