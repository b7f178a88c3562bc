#include "frmMain/PlaybackCommands.h"

#include "app/Guard.h"
#include "app/UserDialogs.h"
#include "avi/AviReport.h"
#include "document/LineIo.h"
#include "frmMain/TForm1.h"
#include "playback/BarMath.h"
#include "playback/MovieFile.h"
#include "playback/OverlayCaption.h"
#include "playback/OverlayWrap.h"
#include "playback/PositionBar.h"
#include "subs/TfrmSubs.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace velkar::gui {

namespace {

const QString kMediaFilter = QStringLiteral(
    "Media Files (*.mp3 *.wav *.mpg *.mpeg *.avi *.mov *.divx *.asf *.dat);;All Files (*)");

bool HasMp3Extension(const QString& path) {
    return QFileInfo(path).suffix().toUpper() == QStringLiteral("MP3");
}

} // namespace

PlaybackCommands::PlaybackCommands(TForm1& form)
    : QObject(&form), m_form(form), m_external(std::make_unique<playback::ExternalPlayer>()) {
    m_labelFont = form.lblSubs->font();
    m_bar = new playback::PositionBar(&form);
    const QRect label = form.lblSubs->geometry();
    m_bar->setUp(label.left(), label.top() + label.height(), label.width());
    m_external->setLocator([this] { return m_form.LocatePlayerProgram(); });
    connectPlayer(*m_external);
    wireControls();
    holdPlayer();
    paceSubtitleTick();
}

PlaybackCommands::~PlaybackCommands() {
    qApp->removeEventFilter(this);
    m_form.setPlayer(nullptr);
}

playback::MediaPlayer& PlaybackCommands::builtIn() {
    if (m_mpv)
        return *m_mpv;
    return m_noBuiltIn;
}

void PlaybackCommands::holdPlayer() {
    TForm1& f = m_form;
    playback::MediaPlayer& held = f.useBsp() ? *m_external : builtIn();
    if (&f.player() == &held)
        return;
    f.setPlayer(&held);
    held.setUnit(f.document().SubtitleFormat == velkar::sfMicroDVD
                     ? playback::PlayerUnit::Frames
                     : playback::PlayerUnit::Milliseconds);
    if (velkar::HasTimingTable(f.document().SubtitleFormat))
        held.loadSubtitles(velkar::SubtitleFileBytes(f.document()));
}

void PlaybackCommands::closePlayers() {
    if (m_mpv)
        m_mpv->close();
    m_external->close();
}

void PlaybackCommands::connectPlayer(playback::MediaPlayer& player) {
    playback::MediaPlayer* p = &player;
    QObject::connect(p, &playback::MediaPlayer::opened, this,
                     [this, p] { Guarded(&m_form, [this, p] { finishOpen(*p); }); });
    QObject::connect(p, &playback::MediaPlayer::openFailed, this, [this](const QString& message) {
        Guarded(&m_form, [this, &message] { openFailed(message); });
    });
}

void PlaybackCommands::wireControls() {
    TForm1& f = m_form;
    const TextCodec* codec = &f.codec();
    const auto on = [&](auto* sender, auto signal, void (PlaybackCommands::*handler)()) {
        QObject::connect(sender, signal, this, [this, handler, codec] {
            Guarded(
                &m_form, [this, handler] { (this->*handler)(); }, codec);
        });
    };
    on(f.cmdOpenMovie, &QPushButton::clicked, &PlaybackCommands::cmdOpenMovieClick);
    on(f.cmdMovieInfo, &QToolButton::clicked, &PlaybackCommands::cmdMovieInfoClick);
    on(f.cboZoom, &QComboBox::activated, &PlaybackCommands::cboZoomClick);
    on(f.VolBar, &QSlider::valueChanged, &PlaybackCommands::VolBarChange);
    on(f.tmrScroll, &QTimer::timeout, &PlaybackCommands::tmrScrollTimer);

    // The player's own buttons act on the player the window holds, whichever it is.
    const struct {
        const char* name;
        void (playback::MediaPlayer::*action)();
    } buttons[] = {{"btPlay", &playback::MediaPlayer::play},
                   {"btPause", &playback::MediaPlayer::pause},
                   {"btStop", &playback::MediaPlayer::stop},
                   {"btNext", &playback::MediaPlayer::next},
                   {"btPrev", &playback::MediaPlayer::previous}};
    for (const auto& b : buttons) {
        auto* button = f.Mplayer->findChild<QToolButton*>(QString::fromLatin1(b.name));
        if (!button)
            continue;
        const auto action = b.action;
        QObject::connect(button, &QToolButton::clicked, this, [this, action] {
            Guarded(&m_form, [this, action] {
                (m_form.player().*action)();
                // Playing ticks every millisecond, paused or stopped at the idle pace.
                paceSubtitleTick();
            });
        });
    }
    // The window's and the picture's mouse events, and Escape in the full-screen view. On the
    // application, after the window's key preview, so it sees Escape first.
    qApp->installEventFilter(this);
}

bool PlaybackCommands::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress && m_fullScreen) {
        // Escape leaves the full-screen view here, before the window's own key handling (which
        // would close the program) sees it.
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            Guarded(&m_form, [this] { leaveFullScreen(); });
            return true;
        }
        return false;
    }
    // Qt delivers a quick second press as a double-click; for the bar it is one more press.
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    if (watched != m_form.MoviePanel && watched != &m_form)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint at = mouse->position().toPoint();
    if (watched == m_form.MoviePanel || m_fullScreen) {
        // A click on the picture: a press and its release on it. The second press of a
        // double-click starts no click of its own, so however fast the clicks come each pair
        // of press and release switches the view once.
        if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton)
            m_pictureClick = true;
        else if (type == QEvent::MouseButtonDblClick)
            m_pictureClick = false;
        else if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton &&
                 m_pictureClick) {
            m_pictureClick = false;
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->rect().contains(at))
                Guarded(&m_form, [this] { MoviePanelClick(); });
        }
        // In the full-screen view the bar is not there to be pressed.
        return m_fullScreen;
    }
    Guarded(&m_form, [&] {
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            FormMouseDown(mouse->buttons(), at.x(), at.y());
        else if (type == QEvent::MouseMove)
            FormMouseMove(mouse->buttons(), at.x(), at.y());
        else
            FormMouseUp(at.x(), at.y());
    });
    return false;
}

// --- Opening, zoom, volume --------------------------------------------------------------------

void PlaybackCommands::paceSubtitleTick() {
    // Only a playing movie moves the label on its own; a paused or stopped one changes with
    // the user's seeks, which the idle pace shows soon enough.
    const bool playing = m_mediaLoaded && m_form.player().mode() == playback::PlayerMode::Playing;
    const int interval = playing ? 1 : kIdleTickMs;
    if (m_form.tmrSub->interval() != interval)
        m_form.tmrSub->setInterval(interval);
}

void PlaybackCommands::stepProgress() {
    m_form.pgrBar->setValue(m_form.pgrBar->value() + 1);
}

void PlaybackCommands::cmdOpenMovieClick() {
    TForm1& f = m_form;
    const std::optional<QString> chosen =
        f.chooseFileToOpen(QStringLiteral("Open Video File"), kMediaFilter);
    if (!chosen)
        return;
    OpenMovie(*chosen);
}

void PlaybackCommands::OpenMovie(const QString& path) {
    TForm1& f = m_form;
    // A file no player can read (a pipe, a device, a folder, no permission) is refused before
    // anything changes: the movie playing goes on.
    const std::string file = QFile::encodeName(path).toStdString();
    if (const std::string problem = velkar::MovieFileProblem(file); !problem.empty())
        throw playback::PlayerError(
            QStringLiteral("Cannot open media file %1: %2")
                .arg(path, QString::fromLocal8Bit(problem.data(), qsizetype(problem.size())))
                .toStdString());
    m_mediaLoaded = false;
    f.pgrBar->setMaximum(4);
    paceSubtitleTick();
    if (IsAviFileName(file)) {
        // The report of "Video Information" comes from these headers; a file they cannot be
        // read from still plays.
        try {
            m_aviChunks = ScanAviChunks(file);
            stepProgress();
            ReadAviHeaders(file, m_aviChunks, m_aviInfo);
            m_aviPath = path;
        } catch (const std::exception&) {
        }
    }
    stepProgress();
    if (&f.player() == &m_noBuiltIn) {
        m_mpv = std::make_unique<playback::MpvPlayer>(m_playerOptions);
        m_mpv->setVideoPanel(f.MoviePanel);
        connectPlayer(*m_mpv);
        holdPlayer();
    }
    m_opening = path;
    // The built-in player has the movie open (finishOpen has run) when this returns, or throws
    // to the general error handler; the external player ends its open later. m_mediaLoaded stays
    // false until then.
    try {
        f.player().open(path);
    } catch (const std::exception&) {
        showNoMovie();
        throw;
    }
}

void PlaybackCommands::showNoMovie() {
    TForm1& f = m_form;
    m_mediaLoaded = false;
    m_moviePath.clear();
    m_dragging = false;
    f.pgrBar->setValue(0);
    f.setMovieName(QString());
    for (QToolButton* button : f.Mplayer->findChildren<QToolButton*>())
        button->setEnabled(false);
    f.VolBar->setEnabled(false);
    // The label shows the times of no movie, without a subtitle; the bar its thumb at 0.
    velkar::OverlayCaption(f.document(), 0, 0, m_caption);
    m_caption.erase(std::min(m_caption.find("\n\r"), m_caption.size()));
    m_overlay = m_caption;
    showOverlay();
    m_barDrawn = false;
    tmrScrollTimer();
    paceSubtitleTick();
}

void PlaybackCommands::finishOpen(playback::MediaPlayer& player) {
    TForm1& f = m_form;
    m_moviePath = m_opening;
    player.setUnit(f.document().SubtitleFormat == velkar::sfMicroDVD
                       ? playback::PlayerUnit::Frames
                       : playback::PlayerUnit::Milliseconds);
    for (QToolButton* button : f.Mplayer->findChildren<QToolButton*>())
        button->setEnabled(true);
    if (&player == m_mpv.get()) {
        // The built-in player's picture is in the window: its size and the zoom.
        const QRect natural = m_mpv->naturalRect();
        m_naturalRect = {natural.left(), natural.top(), natural.left() + natural.width(),
                         natural.top() + natural.height()};
        if (HasMp3Extension(m_moviePath)) {
            m_naturalRect.Right = 0;
            m_naturalRect.Bottom = 0;
        }
        stepProgress();
        f.cboZoom->setEnabled(true);
        f.cboZoom->setCurrentIndex(1);
        cboZoomClick();
    }
    stepProgress();
    f.setMovieName(QFileInfo(m_moviePath).fileName());
    if (const std::optional<double> volume = player.volume()) {
        // The bar does not write the volume back: m_mediaLoaded is still false.
        f.VolBar->setValue(velkar::VolumePositionOfPlayer(*volume));
        f.VolBar->setEnabled(true);
        stepProgress();
    }
    f.pgrBar->setValue(0);
    m_mediaLoaded = true;
    paceSubtitleTick();
}

void PlaybackCommands::openFailed(const QString& message) {
    showNoMovie();
    if (!message.isEmpty())
        Dialogs().information(&m_form, kAppTitle, message);
}

void PlaybackCommands::cmdMovieInfoClick() {
    // The movie playing in the player the window holds, whichever it is.
    const playback::MediaPlayer& player = m_form.player();
    const QString movie = player.isOpen() ? player.movieName() : QString();
    if (movie.isEmpty())
        return;
    const std::string file = QFile::encodeName(movie).toStdString();
    if (!IsAviFileName(file))
        return;
    if (movie != m_aviPath) {
        // Another movie than the one whose headers were read last (the other player's).
        m_aviChunks = ScanAviChunks(file);
        ReadAviHeaders(file, m_aviChunks, m_aviInfo);
        m_aviPath = movie;
    }
    Dialogs().information(&m_form, kAppTitle,
                          QString::fromStdString(VideoInformation(
                              movie.toStdString(), m_aviChunks.AviFileSize, m_aviInfo)));
}

void PlaybackCommands::cboZoomClick() {
    TForm1& f = m_form;
    f.update(); // the old bar goes with the black background
    const std::int32_t labelHeight = f.lblSubs->height();
    velkar::ZoomLayout z = velkar::LayOutForZoom(m_naturalRect, f.cboZoom->currentIndex(),
                                                 labelHeight, m_bar->BarHeight);
    // The sizes are the window's outer ones; the frame the window system adds is taken off.
    const QSize frame = f.frameGeometry().size() - f.geometry().size();
    // The window never grows past the screen's free area: a movie too large for it at this
    // zoom is shown smaller, its shape kept (the zoom item still shows what was asked for).
    const QRect screen = f.screen() ? f.screen()->availableGeometry() : QRect();
    if (!screen.isEmpty()) {
        // What the window needs besides the video, across and down (outer sizes).
        const int besideWidth = z.outerWidth - z.videoWidth;
        const int besideHeight = outerHeight(z, frame.height()) - z.videoHeight;
        const velkar::VideoSize fitted =
            velkar::FitVideo(z.videoWidth, z.videoHeight, screen.width() - besideWidth,
                             screen.height() - besideHeight);
        if (fitted.width != z.videoWidth || fitted.height != z.videoHeight)
            z = velkar::LayOutForVideo(m_naturalRect, fitted.width, fitted.height, labelHeight,
                                       m_bar->BarHeight);
    }
    if (m_mpv)
        m_mpv->setDisplayRect(
            QRect(z.display.left, z.display.top, z.display.width, z.display.height));
    f.MoviePanel->setGeometry(z.panel.left, z.panel.top, z.panel.width, z.panel.height);
    const QRect panel = f.MoviePanel->geometry();
    // The label and the bar under the picture, whatever moved them before (the full-screen
    // view puts the label at the screen's left edge).
    f.lblSubs->setGeometry(panel.left(), panel.top() + panel.height(), panel.width(), labelHeight);
    const QRect label = f.lblSubs->geometry();
    m_bar->moveTo(label.left(), label.top() + label.height(), panel.width());
    m_barDrawn = false;
    // The repair row stays below the bar: never on the picture.
    const int repairTop = std::max(kRepairRowTop, z.bar.top + z.bar.height + kRepairRowGap);
    f.chkRepair->move(f.chkRepair->x(), repairTop);
    f.cboDialogs->move(f.cboDialogs->x(), repairTop);
    f.lblResult->move(f.lblResult->x(), resultTop(repairTop));
    f.setFixedSize(z.outerWidth - frame.width(), outerHeight(z, frame.height()) - frame.height());
    keepOnScreen();
    PaintBar();
}

int PlaybackCommands::outerHeight(const velkar::ZoomLayout& z, int frameHeight) const {
    const int repairTop = std::max(kRepairRowTop, z.bar.top + z.bar.height + kRepairRowGap);
    const int resultBottom = resultTop(repairTop) + m_form.lblResult->height();
    return std::max(z.outerHeight, resultBottom + kRepairRowGap + frameHeight);
}

int PlaybackCommands::resultTop(int repairTop) const {
    return repairTop + std::max(m_form.chkRepair->height(), m_form.cboDialogs->height()) + 2;
}

void PlaybackCommands::keepOnScreen() {
    TForm1& f = m_form;
    if (!f.screen())
        return;
    const QRect screen = f.screen()->availableGeometry();
    const QRect outer = f.frameGeometry();
    QPoint place = outer.topLeft();
    place.setX(std::max(screen.left(), std::min(place.x(), screen.right() + 1 - outer.width())));
    place.setY(std::max(screen.top(), std::min(place.y(), screen.bottom() + 1 - outer.height())));
    if (place != outer.topLeft())
        f.move(place);
}

void PlaybackCommands::VolBarChange() {
    if (!m_mediaLoaded)
        return;
    const std::uint16_t level = velkar::VolumeLevel(m_form.VolBar->value());
    m_waveLevel = velkar::StereoLevel(level);
    m_form.player().setVolume(velkar::PlayerVolume(m_form.VolBar->value()));
}

void PlaybackCommands::MoviePanelClick() {
    if (m_fullScreen)
        leaveFullScreen();
    else if (m_mpv && m_mpv->isOpen())
        enterFullScreen();
}

void PlaybackCommands::enterFullScreen() {
    TForm1& f = m_form;
    m_fullScreen = true;
    m_normalPlace = f.pos();
    const QRect screen = f.screen()->geometry();
    f.setMinimumSize(0, 0);
    f.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    f.setGeometry(screen);
    f.showFullScreen();
    // The picture as large as the screen allows, its shape kept, centred; the label over its
    // foot. The controls stay under the panel; the bar is not shown.
    f.MoviePanel->setGeometry(0, 0, screen.width(), screen.height());
    f.MoviePanel->raise();
    const QSize movie(m_naturalRect.Right - m_naturalRect.Left, m_naturalRect.Bottom);
    QRect picture(QPoint(0, 0), screen.size());
    if (!movie.isEmpty()) {
        picture.setSize(movie.scaled(screen.size(), Qt::KeepAspectRatio));
        picture.moveCenter(QRect(QPoint(0, 0), screen.size()).center());
    }
    m_mpv->setDisplayRect(picture);
    const int labelHeight = f.lblSubs->height();
    f.lblSubs->setGeometry(0, screen.height() - labelHeight, screen.width(), labelHeight);
    f.lblSubs->raise();
    m_bar->hide();
}

void PlaybackCommands::leaveFullScreen() {
    TForm1& f = m_form;
    m_fullScreen = false;
    f.showNormal();
    f.MoviePanel->lower();
    cboZoomClick();
    f.move(m_normalPlace);
}

// --- The position bar ------------------------------------------------------------------------

void PlaybackCommands::PaintBar() {
    if (m_fullScreen)
        return;
    m_bar->PaintBar();
}

void PlaybackCommands::tmrScrollTimer() {
    playback::PositionBar& bar = *m_bar;
    const playback::MediaPlayer& player = m_form.player();
    // The player may have started or stopped by itself (the end of the movie, the external
    // player's own window).
    paceSubtitleTick();
    if (m_mediaLoaded && m_dragging)
        return; // the drag draws the thumb
    const std::int32_t thumb = m_mediaLoaded ? velkar::ThumbLeft(bar.BarWidth, bar.thumbWidth(),
                                                                 player.position(), player.length())
                                             : 0;
    // A thumb that has not moved is not drawn again: a paused movie redraws nothing.
    if (m_barDrawn && thumb == m_thumbX)
        return;
    bar.redrawBackground();
    m_thumbX = thumb;
    bar.drawThumb(m_thumbX);
    m_barDrawn = true;
    PaintBar();
}

void PlaybackCommands::FormMouseDown(Qt::MouseButtons buttons, int X, int Y) {
    playback::MediaPlayer& player = m_form.player();
    playback::PositionBar& bar = *m_bar;
    const bool onBar = bar.BarTop <= Y && Y <= bar.BarTop + bar.BarHeight;
    if (m_mediaLoaded && (buttons & Qt::RightButton) && onBar) {
        m_modeBeforeSeek = player.mode();
        // A second of the movie: 25 frames, or 1000 ms for a player counting milliseconds.
        const std::int32_t step = velkar::BarStep(
            player.unit() == playback::PlayerUnit::Frames ? velkar::sfMicroDVD : velkar::sfSubRip);
        if (X < bar.BarLeft + m_thumbX)
            m_playerPosition -= step;
        else
            m_playerPosition += step;
        player.seek(m_playerPosition);
        if (m_modeBeforeSeek == playback::PlayerMode::Playing)
            player.play();
    }
    if (m_mediaLoaded && (buttons & Qt::LeftButton) && onBar) {
        m_dragging = true;
        m_modeBeforeSeek = player.mode();
        bar.redrawBackground();
        const velkar::BarTarget t =
            velkar::TargetAt(X, bar.BarLeft, bar.BarWidth, bar.thumbWidth(), player.length());
        bar.drawThumb(t.thumbX);
        m_playerPosition = t.position;
        PaintBar();
    }
}

void PlaybackCommands::FormMouseMove(Qt::MouseButtons buttons, int X, int) {
    playback::PositionBar& bar = *m_bar;
    if (m_mediaLoaded && (buttons & Qt::LeftButton) && m_dragging) {
        bar.redrawBackground();
        const velkar::BarTarget t = velkar::TargetAt(X, bar.BarLeft, bar.BarWidth, bar.thumbWidth(),
                                                     m_form.player().length());
        bar.drawThumb(t.thumbX);
        m_playerPosition = t.position;
    }
    PaintBar();
}

void PlaybackCommands::FormMouseUp(int X, int) {
    if (!m_dragging)
        return;
    playback::MediaPlayer& player = m_form.player();
    playback::PositionBar& bar = *m_bar;
    m_playerPosition =
        velkar::TargetAt(X, bar.BarLeft, bar.BarWidth, bar.thumbWidth(), player.length()).position;
    player.seek(m_playerPosition);
    if (m_modeBeforeSeek == playback::PlayerMode::Playing)
        player.play();
    m_dragging = false;
    m_barDrawn = false; // the next tick draws the thumb where the player is
}

// --- The overlay -----------------------------------------------------------------------------

void PlaybackCommands::tmrSubTimer() {
    if (!m_mediaLoaded)
        return;
    const playback::MediaPlayer& player = m_form.player();
    // While dragging, the overlay shows the position under the thumb.
    if (!m_dragging)
        m_playerPosition = player.position();
    const std::int32_t pos = m_playerPosition;
    const std::int32_t len = player.length();
    const std::int32_t line = velkar::OverlayCaption(m_form.document(), pos, len, m_caption);
    TfrmSubs* viewer = m_form.viewer();
    if (line >= 0 && viewer && viewer->isVisible())
        viewer->SelectLine(line);
    // Only a changed text goes to the label, so a tick that changes nothing stays cheap.
    if (m_caption != m_overlay) {
        m_overlay = m_caption;
        showOverlay();
    }
}

void PlaybackCommands::showOverlay() {
    QLabel* label = m_form.lblSubs;
    // The time line changes on every tick, the subtitle seldom: the subtitle is wrapped (and
    // the font chosen) only when it, the time line's length or the label's size changes.
    const std::string_view caption = m_overlay;
    const std::size_t br = caption.find("\n\r");
    const std::string_view times = caption.substr(0, br);
    const std::string_view subtitle =
        br == std::string_view::npos ? std::string_view() : caption.substr(br + 2);
    const QString timeLine = QString::fromLatin1(times.data(), qsizetype(times.size()));
    const bool same = m_wrap.valid && m_wrap.subtitle == subtitle &&
                      m_wrap.timeLength == timeLine.size() && m_wrap.size == label->size() &&
                      m_wrap.hasSubtitle == (br != std::string_view::npos);
    if (!same) {
        m_wrap.valid = true;
        m_wrap.subtitle.assign(subtitle);
        m_wrap.timeLength = timeLine.size();
        m_wrap.size = label->size();
        m_wrap.hasSubtitle = br != std::string_view::npos;
        QString whole = timeLine;
        if (m_wrap.hasSubtitle)
            whole += QLatin1Char('\n') + ScreenText(m_form.screenText(subtitle));
        const QRect room = label->contentsRect();
        const playback::WrappedText wrapped = playback::WrapToFit(
            whole, m_labelFont, room.width(), room.height(), kSmallestOverlayPixels);
        // Everything after the time line (which always fits on one line).
        const qsizetype firstBreak = wrapped.text.indexOf(QLatin1Char('\n'));
        m_wrap.rest = firstBreak < 0 ? QString() : wrapped.text.mid(firstBreak);
        if (label->font().pixelSize() != wrapped.pixelSize) {
            QFont font = m_labelFont;
            font.setPixelSize(wrapped.pixelSize);
            label->setFont(font);
        }
    }
    label->setText(timeLine + m_wrap.rest);
}

} // namespace velkar::gui
