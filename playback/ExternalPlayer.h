#pragma once
// The external player: a separate program (mpv) started from the path the user located and
// driven through the link (BspLink), behind the window's MediaPlayer interface.
//
// The link blocks while it waits for the program, so it runs on a thread of its own, and the
// window never waits for it: requests are queued to that thread, and position, length, pause
// state, volume and movie name are read from the answers it last gave. Position and length
// are asked again when they are read and the last answer is at least kAnswerCacheMs old (and
// no ask is under way), so a hung player leaves the window showing its last answer. A player
// that has ended is reaped within kReapMs and then reads as 0 and closed.
//
// Positions and lengths are milliseconds whatever unit the window counts in.

#include "playback/BspLink.h"
#include "playback/MediaPlayer.h"

#include <QElapsedTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velkar::playback {

class ExternalPlayer final : public MediaPlayer {
    Q_OBJECT
  public:
    struct Options {
        BspTimeouts waits;
        // After the link's own arguments (tests start the player without picture or sound).
        std::vector<std::string> arguments;
    };

    // How old the last answer about position and length may be before they are asked again.
    static constexpr int kAnswerCacheMs = 20;
    // How soon a player that has ended is reaped, at most.
    static constexpr int kReapMs = 50;
    // The text shown when the program did not come up as a player.
    static constexpr const char* kNotRunning =
        "Please make sure you have BSPlayer running, and try again";

    explicit ExternalPlayer(QObject* parent = nullptr);
    // Ends the player (close).
    ~ExternalPlayer() override;

    // How the player is started and waited for; set before the first open (or after close).
    void setOptions(const Options& options);
    // Gives the program the next open should run: the path located by the user, or an empty
    // text when there is none (the open then ends silently). Asked on every open; a path other
    // than the running player's ends that player and starts the new program.
    void setLocator(std::function<QString()> locate) { m_locate = std::move(locate); }

    void open(const QString& path) override;
    bool isOpen() const override;
    void play() override;
    void pause() override;
    void stop() override;
    PlayerMode mode() const override;
    std::int32_t position() const override;
    std::int32_t length() const override;
    void seek(std::int32_t milliseconds) override;
    PlayerUnit unit() const override { return PlayerUnit::Milliseconds; }
    void setUnit(PlayerUnit) override {}
    void setVolume(double percent) override;
    std::optional<double> volume() const override;
    void loadSubtitles(const std::string& fileBytes) override;
    QString movieName() const override;
    // Ends the player without waiting for it: the link's thread stops within about 20 ms (one
    // start poll, 100 ms, at most), then a thread of its own tells the player to quit, sends
    // SIGTERM, SIGKILL at most `term` (2 s) later, and reaps it (BspLink::Stop). A later open
    // starts a new player.
    void close() override;
    // Waits until every player closed so far has ended and been reaped. The program calls it
    // before it exits (and it runs again as the program's statics go).
    static void awaitEndedPlayers();

    // The running player's process id, 0 while none is linked (for diagnostics and tests).
    std::int32_t processId() const;
    // Where the linked player listens (for diagnostics and tests).
    std::string socketPath() const;

  private:
    struct Shared;
    using Job = std::function<void(BspLink&)>;
    void post(Job job) const;
    void askIfStale() const;
    void startThread();

    std::function<QString()> m_locate;
    std::shared_ptr<Shared> m_shared;
    mutable QElapsedTimer m_lastAsk;
};

} // namespace velkar::playback
