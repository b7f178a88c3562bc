#include "playback/MpvPlayer.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <limits>
#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace velkar::playback {

namespace {

// Frames per second assumed for a file that reports none (no video).
constexpr double kDefaultFrameRate = 25.0;

// How long a seek's target stands in for the position when mpv does not report the landing.
constexpr std::chrono::milliseconds kSeekHold{1000};

// Ids of the observed properties, given back with each change.
enum Observed : std::uint64_t { obTimePos = 1, obDuration, obPause, obEofReached, obFps };

std::int32_t ClampToInt32(double value) {
    if (!std::isfinite(value))
        return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(value, lo, hi));
}

// Whether this platform gives OpenGL contexts at all (the offscreen platform does not).
bool OpenGLAvailable() {
    static const bool available = [] {
        QOpenGLContext probe;
        return probe.create();
    }();
    return available;
}

} // namespace

// The picture: mpv's render API drawing into an OpenGL widget inside the movie panel.
class MpvVideoWidget final : public QOpenGLWidget {
  public:
    MpvVideoWidget(mpv_handle* mpv, QWidget* parent) : QOpenGLWidget(parent), m_mpv(mpv) {
        setAttribute(Qt::WA_TransparentForMouseEvents); // clicks go to the panel
    }
    ~MpvVideoWidget() override { release(); }

    bool ready() const { return m_render != nullptr; }
    bool blank() const { return m_blank; }

    // Black instead of the movie's picture (a file without video). The widget is never hidden
    // once it has been shown: a window whose OpenGL widget is hidden and shown again keeps
    // showing black where the picture should be.
    void setBlank(bool blank) {
        if (blank == m_blank)
            return;
        m_blank = blank;
        update();
    }

    // Frees the render context; must happen before the mpv handle goes.
    void release() {
        if (!m_render)
            return;
        makeCurrent();
        mpv_render_context_set_update_callback(m_render, nullptr, nullptr);
        mpv_render_context_free(m_render);
        m_render = nullptr;
        doneCurrent();
    }

  protected:
    void initializeGL() override {
        mpv_opengl_init_params gl{&MpvVideoWidget::procAddress, nullptr};
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
            {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        if (mpv_render_context_create(&m_render, m_mpv, params) < 0) {
            m_render = nullptr;
            return;
        }
        mpv_render_context_set_update_callback(m_render, &MpvVideoWidget::onUpdate, this);
    }

    void paintGL() override {
        if (m_blank || !m_render) {
            QOpenGLFunctions* gl = context()->functions();
            gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
            gl->glClear(GL_COLOR_BUFFER_BIT);
            return;
        }
        const qreal ratio = devicePixelRatioF();
        mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                           static_cast<int>(width() * ratio), static_cast<int>(height() * ratio),
                           0};
        int flip = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_FLIP_Y, &flip},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(m_render, params);
    }

  private:
    static void* procAddress(void*, const char* name) {
        QOpenGLContext* context = QOpenGLContext::currentContext();
        return context ? reinterpret_cast<void*>(context->getProcAddress(name)) : nullptr;
    }
    // Called by mpv from its own threads: only post a repaint to the widget's thread.
    static void onUpdate(void* self) {
        auto* widget = static_cast<MpvVideoWidget*>(self);
        QMetaObject::invokeMethod(
            widget, [widget] { widget->update(); }, Qt::QueuedConnection);
    }

    mpv_handle* m_mpv;
    mpv_render_context* m_render = nullptr;
    bool m_blank = false;
};

MpvPlayer::MpvPlayer(const Options& options, QObject* parent)
    : MediaPlayer(parent), m_options(options) {
    // libmpv refuses to start unless numbers are read and written the C way; the toolkit may
    // have set the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    m_mpv = mpv_create();
    if (!m_mpv)
        throw PlayerError("Cannot start the media player");
    mpv_set_option_string(m_mpv, "terminal", "no");
    mpv_set_option_string(m_mpv, "config", "no");
    mpv_set_option_string(m_mpv, "input-default-bindings", "no");
    mpv_set_option_string(m_mpv, "osc", "no");
    mpv_set_option_string(m_mpv, "idle", "yes");
    // At the end the file stays open on its last picture, as a stopped movie does.
    mpv_set_option_string(m_mpv, "keep-open", "yes");
    mpv_set_option_string(m_mpv, "hr-seek", "yes");
    mpv_set_option_string(m_mpv, "pause", "yes");
    mpv_set_option_string(m_mpv, "vo", "null");
    if (!m_options.audioOutput.isEmpty())
        mpv_set_option_string(m_mpv, "ao", m_options.audioOutput.toUtf8().constData());
    if (mpv_initialize(m_mpv) < 0) {
        mpv_terminate_destroy(m_mpv);
        m_mpv = nullptr;
        throw PlayerError("Cannot start the media player");
    }
    mpv_observe_property(m_mpv, obTimePos, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, obDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(m_mpv, obPause, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, obEofReached, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(m_mpv, obFps, "container-fps", MPV_FORMAT_DOUBLE);
    mpv_set_wakeup_callback(
        m_mpv,
        [](void* data) {
            auto* self = static_cast<MpvPlayer*>(data);
            // One queued drain at a time; it takes every event that is waiting.
            if (!self->m_drainPosted.exchange(true))
                QMetaObject::invokeMethod(
                    self, [self] { self->drainEvents(); }, Qt::QueuedConnection);
        },
        this);
}

MpvPlayer::~MpvPlayer() {
    mpv_set_wakeup_callback(m_mpv, nullptr, nullptr);
    delete m_video.data(); // its render context must go before the handle
    mpv_terminate_destroy(m_mpv);
}

void MpvPlayer::command(std::initializer_list<const char*> args) {
    std::vector<const char*> argv(args);
    argv.push_back(nullptr);
    mpv_command(m_mpv, argv.data());
}

void MpvPlayer::setFlag(const char* name, bool value) {
    int flag = value ? 1 : 0;
    mpv_set_property(m_mpv, name, MPV_FORMAT_FLAG, &flag);
}

void MpvPlayer::setVideoPanel(QWidget* panel) {
    if (!m_options.picture || !panel || !OpenGLAvailable())
        return;
    delete m_video.data();
    m_video = new MpvVideoWidget(m_mpv, panel);
    m_video->hide();
}

QWidget* MpvPlayer::videoWidget() const {
    return m_video.data();
}

bool MpvPlayer::showsPicture() const {
    return m_video && m_video->ready() && !m_video->blank() && m_video->isVisible();
}

bool MpvPlayer::hasPicture() const {
    return m_video && m_video->ready();
}

void MpvPlayer::setDisplayRect(const QRect& rect) {
    m_displayRect = rect;
    if (!m_video)
        return;
    // A file without video has nothing to show: the widget stays, black, over the panel.
    const bool blank = !m_open || !m_hasVideo || rect.isEmpty();
    m_video->setBlank(blank);
    QWidget* panel = m_video->parentWidget();
    m_video->setGeometry(blank && panel ? panel->contentsRect() : rect);
    if (m_video->isHidden() && m_video->ready())
        m_video->show();
}

void MpvPlayer::open(const QString& path) {
    m_open = false;
    m_fileName = path;
    m_timePos = 0.0;
    m_duration = 0.0;
    m_fps = 0.0;
    m_natural = QRect();
    m_hasVideo = false;
    m_coverArt = false;
    m_eof = false;
    m_seeking = false;
    if (m_video && !m_video->ready()) {
        // The render context comes with the widget's first drawing; the picture needs it
        // before the file starts.
        if (m_displayRect.isEmpty() && m_video->parentWidget())
            m_video->setGeometry(m_video->parentWidget()->rect());
        m_video->show();
        m_video->grabFramebuffer();
    }
    mpv_set_property_string(m_mpv, "vo", hasPicture() ? "libmpv" : "null");
    setFlag("pause", true);
    m_paused = true;
    m_stopped = true;
    const QByteArray file = path.toUtf8();
    const char* argv[] = {"loadfile", file.constData(), "replace", nullptr};
    const int status = mpv_command(m_mpv, argv);
    if (status < 0)
        throw PlayerError(QStringLiteral("Cannot open media file %1: %2")
                              .arg(path, QString::fromUtf8(mpv_error_string(status)))
                              .toStdString());
    waitForLoad(path);
    if (m_video)
        setDisplayRect(m_displayRect);
    emit opened();
}

void MpvPlayer::close() {
    if (!m_open)
        return;
    m_open = false;
    m_stopped = m_paused = true;
    m_timePos = m_duration = 0.0;
    command({"stop"});
}

void MpvPlayer::waitForLoad(const QString& path) {
    using Clock = std::chrono::steady_clock;
    m_loading = true;
    m_loadEnded = false;
    m_loadError = 0;
    m_videoReady = false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_options.openTimeout);
    // Once the file is loaded, its first picture gives the display size; a video output that
    // cannot start must not hold the open for long. A sound file's cover picture is decoded
    // only when playback starts, and gives the movie no size: it is not waited for.
    auto pictureDeadline = Clock::time_point::max();
    for (;;) {
        const auto now = Clock::now();
        if (m_open && (!m_hasVideo || m_coverArt || m_videoReady || now >= pictureDeadline))
            break;
        if (now >= deadline) {
            m_loadEnded = true;
            m_loadError = MPV_ERROR_GENERIC;
            break;
        }
        const double wait = std::chrono::duration<double>(deadline - now).count();
        const mpv_event* event = mpv_wait_event(m_mpv, std::min(wait, 0.05));
        if (event->event_id != MPV_EVENT_NONE)
            handleEvent(*event);
        if (m_loadEnded)
            break;
        if (m_open && pictureDeadline == Clock::time_point::max())
            pictureDeadline = Clock::now() + std::chrono::seconds(3);
    }
    m_loading = false;
    if (m_loadEnded) {
        m_open = false;
        command({"stop"});
        throw PlayerError(QStringLiteral("Cannot open media file %1: %2")
                              .arg(path, QString::fromUtf8(mpv_error_string(m_loadError)))
                              .toStdString());
    }
}

void MpvPlayer::drainEvents() {
    m_drainPosted = false;
    for (;;) {
        const mpv_event* event = mpv_wait_event(m_mpv, 0);
        if (event->event_id == MPV_EVENT_NONE)
            return;
        handleEvent(*event);
    }
}

void MpvPlayer::handleEvent(const mpv_event& event) {
    switch (event.event_id) {
    case MPV_EVENT_FILE_LOADED: {
        m_open = true;
        char* vid = mpv_get_property_string(m_mpv, "vid");
        m_hasVideo = vid && std::string_view(vid) != "no";
        mpv_free(vid);
        char* albumArt = mpv_get_property_string(m_mpv, "current-tracks/video/albumart");
        m_coverArt = albumArt && std::string_view(albumArt) == "yes";
        mpv_free(albumArt);
        mpv_get_property(m_mpv, "duration", MPV_FORMAT_DOUBLE, &m_duration);
        mpv_get_property(m_mpv, "container-fps", MPV_FORMAT_DOUBLE, &m_fps);
        break;
    }
    case MPV_EVENT_VIDEO_RECONFIG: {
        std::int64_t w = 0;
        std::int64_t h = 0;
        if (mpv_get_property(m_mpv, "dwidth", MPV_FORMAT_INT64, &w) >= 0 &&
            mpv_get_property(m_mpv, "dheight", MPV_FORMAT_INT64, &h) >= 0 && w > 0 && h > 0) {
            m_natural = QRect(0, 0, static_cast<int>(w), static_cast<int>(h));
            m_videoReady = true;
        }
        break;
    }
    case MPV_EVENT_END_FILE: {
        const auto* end = static_cast<const mpv_event_end_file*>(event.data);
        if (m_loading) {
            // The previous file ending for the new one is no failure.
            if (end->reason == MPV_END_FILE_REASON_ERROR) {
                m_loadEnded = true;
                m_loadError = end->error;
            }
            m_seeking = false;
        } else if (end->reason == MPV_END_FILE_REASON_ERROR ||
                   end->reason == MPV_END_FILE_REASON_EOF) {
            m_open = false;
        }
        break;
    }
    case MPV_EVENT_PLAYBACK_RESTART:
        m_seeking = false;
        break;
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto* property = static_cast<const mpv_event_property*>(event.data);
        if (property->format == MPV_FORMAT_NONE)
            break;
        switch (event.reply_userdata) {
        case obTimePos:
            // Until the seek lands, the position reads as its target. A seek that never
            // reports its landing (one into the end of the file) holds it for a second at most.
            if (m_seeking && std::chrono::steady_clock::now() - m_seekStarted > kSeekHold)
                m_seeking = false;
            if (!m_seeking)
                m_timePos = *static_cast<const double*>(property->data);
            break;
        case obDuration:
            m_duration = *static_cast<const double*>(property->data);
            break;
        case obPause:
            m_paused = *static_cast<const int*>(property->data) != 0;
            break;
        case obEofReached: {
            const bool eof = *static_cast<const int*>(property->data) != 0;
            const bool reached = eof && !m_eof;
            m_eof = eof;
            if (eof)
                m_seeking = false;
            if (reached)
                emit endReached();
            break;
        }
        case obFps:
            m_fps = *static_cast<const double*>(property->data);
            break;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
}

double MpvPlayer::frameRate() const {
    return m_fps > 0.0 ? m_fps : kDefaultFrameRate;
}

double MpvPlayer::seconds(std::int32_t value) const {
    return m_unit == PlayerUnit::Frames ? value / frameRate() : value / 1000.0;
}

std::int32_t MpvPlayer::fromSeconds(double s) const {
    // Frame k is on screen from k / fps seconds until the next; the small allowance absorbs
    // the rounding of k / fps in binary.
    if (m_unit == PlayerUnit::Frames)
        return ClampToInt32(std::floor(s * frameRate() + 1e-3));
    return ClampToInt32(std::nearbyint(s * 1000.0));
}

std::int32_t MpvPlayer::position() const {
    return m_open ? fromSeconds(m_timePos) : 0;
}

std::int32_t MpvPlayer::length() const {
    if (!m_open)
        return 0;
    if (m_unit == PlayerUnit::Frames)
        return ClampToInt32(std::nearbyint(m_duration * frameRate()));
    return ClampToInt32(std::nearbyint(m_duration * 1000.0));
}

void MpvPlayer::seek(std::int32_t position) {
    if (!m_open)
        return;
    // mpv reads a negative absolute time from the end of the file; before the start is the start.
    const double target = std::max(0.0, seconds(position));
    const QByteArray text = QByteArray::number(target, 'f', 6);
    const char* argv[] = {"seek", text.constData(), "absolute+exact", nullptr};
    if (mpv_command(m_mpv, argv) < 0)
        return;
    m_seeking = true;
    m_seekStarted = std::chrono::steady_clock::now();
    m_timePos = std::max(0.0, m_duration > 0.0 ? std::min(target, m_duration) : target);
    m_eof = false;
}

PlayerMode MpvPlayer::mode() const {
    if (!m_open)
        return PlayerMode::NotOpen;
    if (m_stopped || m_eof)
        return PlayerMode::Stopped;
    return m_paused ? PlayerMode::Paused : PlayerMode::Playing;
}

void MpvPlayer::play() {
    if (!m_open)
        return;
    // Play at the end starts again from the top.
    if (m_eof || (m_duration > 0.0 && m_timePos >= m_duration - 0.001))
        seek(0);
    m_stopped = false;
    m_paused = false;
    setFlag("pause", false);
}

void MpvPlayer::pause() {
    switch (mode()) {
    case PlayerMode::Playing:
        m_paused = true;
        setFlag("pause", true);
        break;
    case PlayerMode::Paused:
        play();
        break;
    default:
        break;
    }
}

void MpvPlayer::stop() {
    if (!m_open)
        return;
    m_stopped = true;
    m_paused = true;
    setFlag("pause", true);
}

void MpvPlayer::next() {
    if (!m_open)
        return;
    stop();
    const QByteArray text = QByteArray::number(m_duration, 'f', 6);
    const char* argv[] = {"seek", text.constData(), "absolute+exact", nullptr};
    if (mpv_command(m_mpv, argv) >= 0) {
        m_seeking = true;
        m_seekStarted = std::chrono::steady_clock::now();
        m_timePos = m_duration;
    }
}

void MpvPlayer::previous() {
    seek(0);
}

void MpvPlayer::setVolume(double percent) {
    double volume = std::clamp(percent, 0.0, 100.0);
    mpv_set_property(m_mpv, "volume", MPV_FORMAT_DOUBLE, &volume);
}

std::optional<double> MpvPlayer::volume() const {
    if (!m_open)
        return std::nullopt;
    double level = 0.0;
    // An audio output without a mixer (the null output, or none yet) has no level to read.
    if (mpv_get_property(m_mpv, "ao-volume", MPV_FORMAT_DOUBLE, &level) < 0)
        return std::nullopt;
    if (mpv_get_property(m_mpv, "volume", MPV_FORMAT_DOUBLE, &level) < 0)
        return std::nullopt;
    return level;
}

} // namespace velkar::playback
