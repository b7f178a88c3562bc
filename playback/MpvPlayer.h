#pragma once
// The built-in media player: one libmpv instance that opens a movie, plays, pauses, stops,
// seeks and reports position and length in milliseconds or in frames of the movie's own frame
// rate, and draws the picture into a panel of a window. This is the only code of the program
// that talks to libmpv.
//
// Everything runs on the thread that created the player (the user-interface thread). libmpv
// tells of news from its own threads only through a wakeup call, which posts one queued call
// back to this thread; that call drains libmpv's event queue. Position, length, pause state and
// the like are kept from those events, so reading them costs no round trip into libmpv: the
// overlay reads them a thousand times a second.

#include "playback/MediaPlayer.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

struct mpv_handle;
struct mpv_event;

class QWidget;

namespace velkar::playback {

class MpvVideoWidget;

class MpvPlayer final : public MediaPlayer {
    Q_OBJECT
  public:
    struct Options {
        // Draw the picture (in the panel given to setVideoPanel). Without it, or where no
        // OpenGL context can be had (the offscreen platform), the player plays without one.
        bool picture = true;
        // mpv's audio output: empty for mpv's own choice, "null" for none.
        QString audioOutput;
        // How long open() waits for the file to load, in milliseconds.
        int openTimeout = 15000;
    };

    explicit MpvPlayer(const Options& options, QObject* parent = nullptr);
    ~MpvPlayer() override;

    // Opens `path` (any file mpv plays), replacing the open one, and waits until it is loaded;
    // `opened` comes before this returns. The file opens stopped at its start, showing its
    // first picture. Throws PlayerError
    // ("Cannot open media file <path>: <mpv's reason>"); the player then has no file open.
    void open(const QString& path) override;
    bool isOpen() const override { return m_open; }
    // The file last opened, as given to open(); empty before the first.
    const QString& fileName() const { return m_fileName; }

    // The player's buttons. Nothing happens without an open file.
    void play() override;
    void pause() override;    // pauses while playing, plays on while paused
    void stop() override;     // stops where it stands
    void next() override;     // to the end of the file
    void previous() override; // to the start of the file
    PlayerMode mode() const override;

    // Position and length in the current unit; 0 without an open file. Length in frames is
    // the duration times the frame rate, rounded.
    std::int32_t position() const override;
    std::int32_t length() const override;
    // Moves to `position` (current unit) with an exact seek; the picture shown is frame
    // `position` in frames, and the position reads back as the start of the frame shown
    // (1010 ms in a 25 fps movie reads 1040 once the player has landed). Positions outside
    // the file are left to mpv (it clamps); a seek onto the last frame reaches the end, which
    // reads as the length; a position before 0 seeks to the start. The position reads as the
    // target at once, and as the player's again once mpv has moved.
    void seek(std::int32_t position) override;
    PlayerUnit unit() const override { return m_unit; }
    void setUnit(PlayerUnit unit) override { m_unit = unit; }
    // Frames per second of the open movie (25 for a file without video or frame rate).
    double frameRate() const;

    // The movie's display size after opening: 0, 0, width, height; empty for a file without
    // video.
    QRect naturalRect() const { return m_natural; }

    // The picture is drawn into `panel` (the player does not own it), at the rectangle last
    // given to setDisplayRect (left, top, width, height inside the panel).
    void setVideoPanel(QWidget* panel);
    void setDisplayRect(const QRect& rect);
    // The widget that shows the picture; nullptr when there is no picture.
    QWidget* videoWidget() const;
    // True once the picture is drawn through OpenGL; false when the player plays blind.
    bool hasPicture() const;
    // True while the movie's picture is on screen: a file with video is open and the display
    // rectangle is not empty. Otherwise the video widget shows black.
    bool showsPicture() const;

    // Software volume 0..100 (mpv's "volume").
    void setVolume(double percent) override;
    // The volume, or nothing while there is no audio output whose level can be read (no file,
    // no audio, or the null output).
    std::optional<double> volume() const override;

    // The window's overlay shows the subtitles of the built-in player.
    void loadSubtitles(const std::string&) override {}
    QString movieName() const override { return m_fileName; }
    // Unloads the movie; the player stays ready for the next.
    void close() override;

    // Drains libmpv's event queue; normally run by the queued call the wakeup posts.
    void drainEvents();

  signals:
    // The open file has reached its end (playback stopped there).
    void endReached();

  private:
    void handleEvent(const mpv_event& event);
    void command(std::initializer_list<const char*> args);
    void setFlag(const char* name, bool value);
    double seconds(std::int32_t value) const;
    std::int32_t fromSeconds(double seconds) const;
    void waitForLoad(const QString& path);

    mpv_handle* m_mpv = nullptr;
    Options m_options;
    std::atomic<bool> m_drainPosted{false};
    QPointer<MpvVideoWidget> m_video;
    QRect m_displayRect;

    QString m_fileName;
    bool m_open = false;
    bool m_loading = false;
    bool m_stopped = true;
    bool m_paused = true;
    bool m_eof = false;
    bool m_seeking = false;
    std::chrono::steady_clock::time_point m_seekStarted;
    bool m_hasVideo = false;
    bool m_coverArt = false; // the video track is a still picture stored with the sound
    bool m_videoReady = false;
    int m_loadError = 0;
    bool m_loadEnded = false;
    double m_timePos = 0.0;
    double m_duration = 0.0;
    double m_fps = 0.0;
    QRect m_natural;
    PlayerUnit m_unit = PlayerUnit::Milliseconds;
};

} // namespace velkar::playback
