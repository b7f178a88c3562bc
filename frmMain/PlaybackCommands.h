#pragma once
// The main window's playback: the two players and which one the window holds, "Open Media",
// the zoom, the volume, the full-screen view of the picture, the built-in player's own
// buttons, the position bar under the subtitle label (its 100 ms timer and the window's mouse
// handlers) and the overlay part of the 1 ms subtitle tick (position, length and the current
// subtitle in lblSubs, the viewer following playback). Everything here asks the player the
// window holds (TForm1::player()), whichever it is.
//
// It attaches itself to the window's controls and timers when created (from FormCreate) and
// lives as long as the window. The libmpv instance is made on the first "Open Media" with the
// built-in player, so a window that never plays a movie never starts one; the external player
// starts its program on its first open.

#include "avi/AviPars.h"
#include "playback/ExternalPlayer.h"
#include "playback/MpvPlayer.h"
#include "playback/PlayerLayout.h"
#include "playback/PositionBar.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velkar::gui {

class TForm1;

class PlaybackCommands final : public QObject {
  public:
    // Sets up the position bar under lblSubs, wires the playback controls and both timers, and
    // gives `form` the player "Use BSP" chooses.
    explicit PlaybackCommands(TForm1& form);
    ~PlaybackCommands() override;

    // Gives the window the player "Use BSP" chooses (the built-in one while it is not made
    // yet: no media), in the document's unit and with the document's lines.
    void holdPlayer();
    // Closes both players; the external one ends.
    void closePlayers();

    // Handlers.
    void cmdOpenMovieClick();
    // Opens the movie at `path` as "Open Media" does once its dialog has chosen it.
    void OpenMovie(const QString& path);
    void cmdMovieInfoClick();
    void cboZoomClick();
    void VolBarChange();
    void MoviePanelClick();
    void tmrScrollTimer();
    // The overlay part of the subtitle tick: the label under the picture and the viewer's line.
    void tmrSubTimer();
    // Mouse over the window's own surface, X and Y in client pixels.
    void FormMouseDown(Qt::MouseButtons buttons, int X, int Y);
    void FormMouseMove(Qt::MouseButtons buttons, int X, int Y);
    void FormMouseUp(int X, int Y);
    void PaintBar();

    // The built-in player; nullptr until the first "Open Media" with it.
    playback::MpvPlayer* Mplayer() const { return m_mpv.get(); }
    // The external player.
    playback::ExternalPlayer& External() const { return *m_external; }
    // The position bar (BarLeft, BarTop, BarWidth, BarHeight and its images).
    playback::PositionBar& Bar() const { return *m_bar; }

    // True once a movie has opened, until the next open starts or fails.
    bool mediaLoaded() const { return m_mediaLoaded; }
    // The movie last opened (in either player); empty until one opened or after a failed open.
    const QString& moviePath() const { return m_moviePath; }
    // The movie's display rectangle as the zoom lays it out (Right and Bottom 0: no picture).
    const velkar::NaturalRect& naturalRect() const { return m_naturalRect; }
    // The thumb's left edge in the bar, pixels from BarLeft.
    std::int32_t thumbX() const { return m_thumbX; }
    // The last level sent to the sound output: the 16-bit level in both halves.
    std::uint32_t waveLevel() const { return m_waveLevel; }
    // How the built-in player is made on the first open (tests ask for no picture or sound).
    playback::MpvPlayer::Options& playerOptions() { return m_playerOptions; }

    // True while the thumb is dragged on the bar (a left press on it, until the release).
    bool dragging() const { return m_dragging; }
    // The position the overlay shows and a right click on the bar steps from (player's unit):
    // under the thumb while dragging, else the player's at the last subtitle tick.
    std::int32_t playerPosition() const { return m_playerPosition; }

    // The picture full screen: a click on the picture shows it there, with the subtitle
    // label over its foot, playing on; a click or Escape brings the window back.
    bool fullScreen() const { return m_fullScreen; }

    // The subtitle tick's interval while no movie is open: it then only moves the viewer
    // along, and a millisecond timer would keep an idle program awake a thousand times a
    // second. With a movie open it ticks every millisecond.
    static constexpr int kIdleTickMs = 20;
    // The smallest font the subtitle label shrinks to for a long subtitle, in pixels.
    static constexpr int kSmallestOverlayPixels = 8;
    // The repair row ("Repair Single Dialog" and its list): its design top, and the gap kept
    // between it and the bar above and the window's edge below, in client pixels.
    static constexpr int kRepairRowTop = 374;
    static constexpr int kRepairRowGap = 6;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void stepProgress();
    // The subtitle tick's interval for the present state of the movie.
    void paceSubtitleTick();
    // The end of "Open Media" once `player` has the movie open, and its failure.
    void finishOpen(playback::MediaPlayer& player);
    void openFailed(const QString& message);
    // After a failed open: no movie, the bar at 0, the label and the caption without one.
    void showNoMovie();
    // Opening ends in finishOpen or openFailed (the external player's open ends later).
    void connectPlayer(playback::MediaPlayer& player);
    // The built-in player, or no media while it is not made yet.
    playback::MediaPlayer& builtIn();
    void wireControls();
    // Puts m_overlay on the label, wrapped to its width and, for a long subtitle, in a smaller
    // font so that it fits its height.
    void showOverlay();
    // The window's outer height for layout `z`: room for the repair row under the bar.
    int outerHeight(const velkar::ZoomLayout& z, int frameHeight) const;
    // The top of the Fix Synch result row, under the repair row that starts at `repairTop`.
    int resultTop(int repairTop) const;
    // Moves the window back inside the screen's free area where it reaches out of it.
    void keepOnScreen();
    void enterFullScreen();
    void leaveFullScreen();

    TForm1& m_form;
    std::unique_ptr<playback::MpvPlayer> m_mpv;
    playback::NoMedia m_noBuiltIn; // stands for the built-in player until it is made
    std::unique_ptr<playback::ExternalPlayer> m_external;
    QString m_opening; // the movie of the open under way
    QPointer<playback::PositionBar> m_bar;
    std::string m_overlay; // the label's text as bytes of the document, as last set
    std::string m_caption; // the tick's work buffer
    // The label's font as designed, and the last wrapping of the subtitle under it.
    QFont m_labelFont;
    struct OverlayWrap {
        bool valid = false;
        bool hasSubtitle = false;
        std::string subtitle; // bytes of the document
        qsizetype timeLength = 0;
        QSize size;
        QString rest; // the wrapped lines after the time line, each after a '\n'
    } m_wrap;
    bool m_fullScreen = false;
    bool m_pictureClick = false; // a left press on the picture waits for its release
    QPoint m_normalPlace;        // the window's place before the full-screen view
    AviChunks m_aviChunks;
    AviInfo m_aviInfo;       // kept across movies: a file only overwrites what it supplies
    QString m_aviPath;       // the movie m_aviChunks and m_aviInfo were read from
    bool m_barDrawn = false; // the bar shows the thumb at m_thumbX
    bool m_mediaLoaded = false;
    QString m_moviePath;
    velkar::NaturalRect m_naturalRect;
    playback::PlayerMode m_modeBeforeSeek = playback::PlayerMode::NotOpen;
    std::int32_t m_thumbX = 0;
    std::int32_t m_playerPosition = 0; // player's unit
    bool m_dragging = false;
    std::uint32_t m_waveLevel = 0;
    playback::MpvPlayer::Options m_playerOptions;
};

} // namespace velkar::gui
