#pragma once
// The main window's playback: "Open Media" with the built-in player, the zoom, the volume, the
// full-screen click on the picture, the player's own buttons, the position bar under the
// subtitle label (its 100 ms timer and the window's mouse handlers) and the overlay part of
// the 1 ms subtitle tick (position, length and the current subtitle in lblSubs, the viewer
// following playback). It is also the window's media player seam: "Set Time..." and the
// format setup ask it for the position and set its time unit.
//
// It attaches itself to the window's controls and timers when created (from FormCreate) and
// lives as long as the window. The libmpv instance is made on the first "Open Media", so a
// window that never plays a movie never starts one.

#include "avi/AviPars.h"
#include "frmMain/MediaPlayer.h"
#include "playback/MpvPlayer.h"
#include "playback/PlayerLayout.h"
#include "playback/PositionBar.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velkar::gui {

class TForm1;

class PlaybackCommands final : public QObject, public MediaPlayer {
  public:
    // Sets up the position bar under lblSubs, wires the playback controls and both timers, and
    // becomes `form`'s player.
    explicit PlaybackCommands(TForm1& form);
    ~PlaybackCommands() override;

    // The media player seam: position and length in the unit last set, 0 until a movie is
    // open; nothing moves without one.
    bool mediaLoaded() const override { return MediaLoaded; }
    std::int32_t position() const override;
    std::int32_t length() const override;
    TimeUnit timeUnit() const override { return m_unit; }
    void setTimeUnit(TimeUnit unit) override;
    void seek(std::int32_t position) override;

    // Handlers.
    void cmdOpenMovieClick();
    void cmdMovieInfoClick();
    void cboZoomClick();
    void VolBarChange();
    void MoviePanelClick();
    void tmrScrollTimer();
    // The overlay part of the subtitle tick: the label under the picture and the viewer's line.
    // False when the tick ends early (the external player in use but not linked), so the
    // viewer does not move along on it.
    bool tmrSubTimer();
    // Mouse over the window's own surface, X and Y in client pixels.
    void FormMouseDown(Qt::MouseButtons buttons, int X, int Y);
    void FormMouseMove(Qt::MouseButtons buttons, int X, int Y);
    void FormMouseUp(int X, int Y);
    void PaintBar();

    // The built-in player; nullptr until the first "Open Media".
    playback::MpvPlayer* Mplayer() const { return m_mpv.get(); }
    // The position bar (BarLeft, BarTop, BarWidth, BarHeight and its images).
    playback::PositionBar& Bar() const { return *m_bar; }

    bool MediaLoaded = false;
    // The movie last opened (in either player); empty until one opened.
    QString MoviePath;
    std::int32_t PlayerPosition = 0; // player's unit
    velkar::NaturalRect NaturalRect;
    bool Dragging = false;
    playback::PlayerMode ModeBeforeSeek = playback::PlayerMode::NotOpen;
    std::int32_t ThumbX = 0;
    // The last level sent to the sound output: the 16-bit level in both halves.
    std::uint32_t WaveLevel = 0;

    // How the player is made on the first open (tests ask for no sound output).
    playback::MpvPlayer::Options PlayerOptions;
    // Starts the separate full-screen playback of a file (tests look at the path instead).
    std::function<bool(const QString&)> StartFullScreen = playback::PlayFullScreen;

    // How often the ticks ask the external player for its position and length, at most.
    static constexpr int kExternalPollMs = 20;
    // The subtitle tick's interval while no movie is open: it then only moves the viewer
    // along, and a millisecond timer would keep an idle program awake a thousand times a
    // second. With a movie open it ticks every millisecond.
    static constexpr int kIdleTickMs = 20;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void stepProgress();
    // The subtitle tick's interval for the present MediaLoaded.
    void paceSubtitleTick();
    // Asks the external player for position (into BSPPosition) and length, unless it was
    // asked less than kExternalPollMs ago; true when it was asked now.
    bool askExternalPlayer();
    void wireControls();

    TForm1& m_form;
    std::unique_ptr<playback::MpvPlayer> m_mpv;
    QPointer<playback::PositionBar> m_bar;
    TimeUnit m_unit = TimeUnit::Milliseconds;
    std::string m_overlay; // the label's text as bytes of the document, as last set
    std::string m_caption; // the tick's work buffer
    QElapsedTimer m_externalPoll;
    std::int32_t m_externalLength = 0; // the external player's last reported length, ms
    AviChunks m_aviChunks;
    AviInfo m_aviInfo; // kept across movies: a file only overwrites what it supplies
};

} // namespace velkar::gui
