#pragma once
// What the main window asks of a media player, whichever plays the movie: the built-in libmpv
// player (MpvPlayer), which draws into the window, or the external player (ExternalPlayer), a
// separate program. The window holds one of them at a time ("Use BSP" chooses which) and asks
// only this interface.
//
// Every call returns at once or within the time a local libmpv call takes: a player that
// answers slowly, hangs or has gone never holds up the window. Positions and lengths are in
// the player's unit: milliseconds, or frames of the movie while a MicroDVD document is loaded
// (the external player always counts milliseconds).

#include <QObject>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace velkar::playback {

// A movie that cannot be opened; the message names the file and the player's reason.
class PlayerError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class PlayerUnit {
    Milliseconds,
    // Frames of the movie's frame rate: frame k is the picture shown from k / fps seconds on.
    // A file without video counts 25 frames per second.
    Frames,
};

enum class PlayerMode { NotOpen, Stopped, Playing, Paused };

class MediaPlayer : public QObject {
    Q_OBJECT
  public:
    using QObject::QObject;

    // Opens `path`, replacing the open movie. Ends in `opened` (the built-in player before
    // open returns, the external one once the movie has loaded in it) or, for the external
    // player, in `openFailed`. The built-in player throws PlayerError instead.
    virtual void open(const QString& path) = 0;
    // True from `opened` until the next open starts, the movie is closed or the player ends.
    virtual bool isOpen() const = 0;

    // The player's buttons; nothing happens without an open movie.
    virtual void play() = 0;
    virtual void pause() = 0; // pauses while playing, plays on while paused
    virtual void stop() = 0;  // stops where it stands
    // To the end of the movie, stopped there; and back to its start.
    virtual void next() {
        stop();
        seek(length());
    }
    virtual void previous() { seek(0); }
    virtual PlayerMode mode() const = 0;

    // Position and length in the player's unit; 0 without an open movie.
    virtual std::int32_t position() const = 0;
    virtual std::int32_t length() const = 0;
    // Moves to `position` (player's unit); the position reads as the target at once.
    virtual void seek(std::int32_t position) = 0;
    // Moves to a subtitle's time (a value of the timing table), held to what a position holds.
    void seekTo(std::int64_t value) {
        seek(static_cast<std::int32_t>(std::clamp<std::int64_t>(value, 0, INT32_MAX)));
    }
    virtual PlayerUnit unit() const = 0;
    // The unit the window counts in; a player that counts only milliseconds keeps them.
    virtual void setUnit(PlayerUnit unit) = 0;

    // Volume 0..100 (the player's software volume).
    virtual void setVolume(double percent) = 0;
    // The volume, or nothing while it cannot be read.
    virtual std::optional<double> volume() const = 0;

    // `fileBytes` (a whole subtitle file) as the subtitles the player shows with the movie,
    // now and with every movie opened later. The built-in player shows none itself (the
    // window's overlay does).
    virtual void loadSubtitles(const std::string& fileBytes) = 0;
    // The full path of the movie last opened; empty without one.
    virtual QString movieName() const = 0;
    // Closes the movie; the external player ends (it is asked to, and stopped when it does not
    // within a bounded time).
    virtual void close() = 0;

  signals:
    void opened();
    // `message` is for the user; empty when there is nothing to say (the user cancelled).
    void openFailed(const QString& message);
};

// No media: position and length 0, nothing moves; the unit is kept so that the document's
// unit is in place when a player takes over.
class NoMedia : public MediaPlayer {
  public:
    using MediaPlayer::MediaPlayer;
    void open(const QString&) override {}
    bool isOpen() const override { return false; }
    void play() override {}
    void pause() override {}
    void stop() override {}
    PlayerMode mode() const override { return PlayerMode::NotOpen; }
    std::int32_t position() const override { return 0; }
    std::int32_t length() const override { return 0; }
    void seek(std::int32_t) override {}
    PlayerUnit unit() const override { return m_unit; }
    void setUnit(PlayerUnit unit) override { m_unit = unit; }
    void setVolume(double) override {}
    std::optional<double> volume() const override { return std::nullopt; }
    void loadSubtitles(const std::string&) override {}
    QString movieName() const override { return {}; }
    void close() override {}

  private:
    PlayerUnit m_unit = PlayerUnit::Milliseconds;
};

} // namespace velkar::playback
