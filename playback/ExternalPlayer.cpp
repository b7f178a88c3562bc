#include "playback/ExternalPlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velkar::playback {

namespace {

// The threads that end players the window has let go of; joined before the program exits.
class Reapers {
  public:
    ~Reapers() { joinAll(); }
    void add(std::thread thread) {
        std::lock_guard lock(m_mutex);
        m_threads.push_back(std::move(thread));
    }
    void joinAll() {
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(m_mutex);
            threads.swap(m_threads);
        }
        for (std::thread& thread : threads)
            thread.join();
    }

  private:
    std::mutex m_mutex;
    std::vector<std::thread> m_threads;
};

Reapers& TheReapers() {
    static Reapers reapers;
    return reapers;
}

} // namespace

void ExternalPlayer::awaitEndedPlayers() {
    TheReapers().joinAll();
}

// What the window's thread and the link's thread share. The link itself is used by the link's
// thread only, while it runs.
struct ExternalPlayer::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> jobs;  // guarded by mutex
    bool stopping = false; // guarded by mutex
    std::atomic<bool> cancel{false};
    // Counts closes: an answer queued for the window before the last close is dropped.
    std::atomic<unsigned> generation{0};
    std::thread thread;
    Options options;
    std::unique_ptr<BspLink> link;
    std::string program; // the program the running player was started from (link's thread)

    // The player's last answers.
    std::atomic<bool> open{false};
    std::atomic<std::int32_t> position{0};
    std::atomic<std::int32_t> length{0};
    std::atomic<bool> paused{true};
    std::atomic<bool> hasVolume{false};
    std::atomic<double> volume{0.0};
    std::atomic<std::int32_t> pid{0};
    std::atomic<bool> asking{false}; // an ask for position and length is under way
    std::atomic<unsigned> seeks{0};  // seeks requested so far
    QString movieName;               // guarded by mutex
    std::string socket;              // guarded by mutex
    std::string subtitles;           // guarded by mutex: the file the next movie gets

    void run() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex);
                wake.wait_for(lock, std::chrono::milliseconds(kReapMs),
                              [this] { return stopping || !jobs.empty(); });
                if (stopping)
                    return;
                if (!jobs.empty()) {
                    job = std::move(jobs.front());
                    jobs.pop_front();
                }
            }
            if (job)
                job(*link);
            // A player that has ended (the user closed it) is reaped here, and reads as closed.
            if (pid.load() != 0 && !link->Running()) {
                pid = 0;
                open = false;
                position = 0;
                length = 0;
            }
        }
    }
};

ExternalPlayer::ExternalPlayer(QObject* parent)
    : MediaPlayer(parent), m_shared(std::make_shared<Shared>()) {}

ExternalPlayer::~ExternalPlayer() {
    close();
}

void ExternalPlayer::setOptions(const Options& options) {
    m_shared->options = options;
}

void ExternalPlayer::startThread() {
    Shared& s = *m_shared;
    if (s.thread.joinable())
        return;
    s.link = std::make_unique<BspLink>(s.options.waits);
    s.link->setCancel(&s.cancel);
    s.thread = std::thread([&s] { s.run(); });
}

void ExternalPlayer::post(Job job) const {
    Shared& s = *m_shared;
    if (!s.thread.joinable())
        return;
    {
        std::lock_guard lock(s.mutex);
        s.jobs.push_back(std::move(job));
    }
    s.wake.notify_one();
}

void ExternalPlayer::open(const QString& path) {
    Shared& s = *m_shared;
    s.open = false;
    const QString program = m_locate ? m_locate() : QString();
    if (program.isEmpty() || !QFileInfo(program).isFile()) {
        emit openFailed(QString());
        return;
    }
    startThread();
    post([this, generation = s.generation.load(), path,
          program = QFile::encodeName(program).toStdString(),
          movie = QFile::encodeName(path).toStdString()](BspLink& link) {
        Shared& s = *m_shared;
        // The window hears of this open only while the player it started is not closed.
        const auto tell = [this, generation](auto signal) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, signal] {
                    if (m_shared->generation == generation)
                        signal();
                },
                Qt::QueuedConnection);
        };
        // The player started before takes the movie while it runs and answers; another
        // program located since replaces it.
        if (s.program != program || link.FindPlayer() == 0) {
            s.program = program;
            s.pid = link.Start(program, s.options.arguments);
            if (s.pid == 0) {
                if (!s.cancel)
                    tell([this] { emit openFailed(QString::fromLatin1(kNotRunning)); });
                return;
            }
        }
        link.SendCopyData(BspOpenMovie, movie);
        link.SendCommand(BspAfterOpen);
        const QString name =
            QFile::decodeName(QByteArray::fromStdString(link.SendCopyData(BspGetMovieName)));
        if (s.cancel)
            return;
        if (name.isEmpty()) {
            // The player answers but has no movie: it could not play this file.
            tell([this, path] {
                emit openFailed(QStringLiteral("Cannot open media file %1: the external player "
                                               "cannot play it")
                                    .arg(path));
            });
            return;
        }
        const std::optional<double> volume = link.Volume();
        s.hasVolume = volume.has_value();
        s.volume = volume.value_or(0.0);
        s.paused = link.Paused().value_or(true);
        s.position = link.Ask(BspGetPosition).value_or(0);
        s.length = link.Ask(BspGetLength).value_or(0);
        std::string subtitles;
        {
            // From here on, subtitles handed over go to this movie by their own request.
            std::lock_guard lock(s.mutex);
            subtitles = s.subtitles;
            s.movieName = name;
            s.socket = link.socketPath();
            s.open = true;
        }
        if (!subtitles.empty())
            link.LoadSubtitles(subtitles);
        tell([this] { emit opened(); });
    });
}

bool ExternalPlayer::isOpen() const {
    return m_shared->open;
}

void ExternalPlayer::askIfStale() const {
    Shared& s = *m_shared;
    if (!s.open || (m_lastAsk.isValid() && m_lastAsk.elapsed() < kAnswerCacheMs))
        return;
    if (s.asking.exchange(true))
        return; // the last ask is not answered yet: the player is busy or hung
    m_lastAsk.start();
    const unsigned seeks = s.seeks;
    post([&s, seeks](BspLink& link) {
        const std::optional<std::int32_t> position = link.Ask(BspGetPosition);
        const std::optional<std::int32_t> length = link.Ask(BspGetLength);
        const std::optional<bool> paused = link.Paused();
        // An answer from before a seek would put the position back where it was.
        if (position && s.seeks == seeks)
            s.position = *position;
        if (length)
            s.length = *length;
        if (paused)
            s.paused = *paused;
        s.asking = false;
    });
}

std::int32_t ExternalPlayer::position() const {
    askIfStale();
    return m_shared->open ? m_shared->position.load() : 0;
}

std::int32_t ExternalPlayer::length() const {
    askIfStale();
    return m_shared->open ? m_shared->length.load() : 0;
}

void ExternalPlayer::seek(std::int32_t milliseconds) {
    Shared& s = *m_shared;
    if (!s.open)
        return;
    ++s.seeks;
    s.position = milliseconds;
    post([milliseconds](BspLink& link) { link.SendCommand(BspSeek, milliseconds); });
}

PlayerMode ExternalPlayer::mode() const {
    if (!m_shared->open)
        return PlayerMode::NotOpen;
    return m_shared->paused ? PlayerMode::Paused : PlayerMode::Playing;
}

void ExternalPlayer::play() {
    if (!m_shared->open)
        return;
    m_shared->paused = false;
    post([](BspLink& link) { link.SetPaused(false); });
}

void ExternalPlayer::pause() {
    if (!m_shared->open)
        return;
    const bool paused = !m_shared->paused;
    m_shared->paused = paused;
    post([paused](BspLink& link) { link.SetPaused(paused); });
}

void ExternalPlayer::stop() {
    if (!m_shared->open)
        return;
    m_shared->paused = true;
    post([](BspLink& link) { link.SetPaused(true); });
}

void ExternalPlayer::setVolume(double percent) {
    if (!m_shared->open)
        return;
    m_shared->volume = percent;
    m_shared->hasVolume = true;
    post([percent](BspLink& link) { link.SetVolume(percent); });
}

std::optional<double> ExternalPlayer::volume() const {
    if (!m_shared->hasVolume)
        return std::nullopt;
    return m_shared->volume.load();
}

void ExternalPlayer::loadSubtitles(const std::string& fileBytes) {
    Shared& s = *m_shared;
    bool open = false;
    {
        std::lock_guard lock(s.mutex);
        s.subtitles = fileBytes;
        open = s.open;
    }
    if (open)
        post([fileBytes](BspLink& link) { link.LoadSubtitles(fileBytes); });
}

QString ExternalPlayer::movieName() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->open ? m_shared->movieName : QString();
}

void ExternalPlayer::close() {
    Shared& s = *m_shared;
    s.open = false;
    ++s.generation;
    if (!s.thread.joinable())
        return;
    {
        std::lock_guard lock(s.mutex);
        s.stopping = true;
        s.jobs.clear();
    }
    // Every wait of the link gives up within about 20 ms once cancelled (Start within one
    // poll), so this join is short whatever the player does.
    s.cancel = true;
    s.wake.notify_one();
    s.thread.join();
    s.cancel = false;
    s.stopping = false;
    // Ending the program may take seconds (quit, SIGTERM, SIGKILL): off the window's thread.
    s.link->setCancel(nullptr);
    TheReapers().add(
        std::thread([link = std::shared_ptr<BspLink>(std::move(s.link))] { link->Stop(); }));
    s.program.clear();
    s.pid = 0;
    s.asking = false;
    s.position = 0;
    s.length = 0;
    std::lock_guard lock(s.mutex);
    s.socket.clear();
    s.movieName.clear();
}

std::int32_t ExternalPlayer::processId() const {
    return m_shared->pid;
}

std::string ExternalPlayer::socketPath() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->socket;
}

} // namespace velkar::playback
