#pragma once
// The external player link. The external player is mpv, started as a separate program and
// driven over its JSON IPC socket; each request of the player protocol is carried as the
// matching mpv command, and what the program relies on comes back the same way:
//
//   BspGetLength   0x10100  length of the movie, ms (0 when there is no answer)
//   BspGetPosition 0x10101  current position, ms (0 when there is no answer)
//   BspSeek        0x10103  moves the player to lParam ms
//   BspAfterOpen   50       accepted (returns once playback has a position, or after the limit)
//   BspOnExit      75       the player quits
//   BspOpenMovie   0x10108  the player opens the movie at the given path (returns once loaded)
//   BspLoadSubtitles 0x10109 the player reads the subtitle file at the given path before the
//                           request returns, and shows it
//   BspGetMovieName 0x1010B full path of the playing movie, at most 259 bytes (empty: none)
//
// Every request waits at most `reply` for its answer, so a hung player cannot hold up its
// caller for longer; a request that gets no answer counts as 0 or empty. The link blocks while
// it waits: the window drives it from a thread of its own (ExternalPlayer). A player that has
// ended is reaped by the next request or Running(), so it never stays a zombie.

#include "playback/MpvIpc.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace velkar {

enum BspCommandCode : std::int32_t {
    BspGetLength = 0x10100,
    BspGetPosition = 0x10101,
    BspSeek = 0x10103,
    BspAfterOpen = 50,
    BspOnExit = 75,
};

enum BspCopyDataTag : std::int32_t {
    BspOpenMovie = 0x10108,
    BspLoadSubtitles = 0x10109,
    BspGetMovieName = 0x1010B,
};

struct BspTimeouts {
    std::chrono::milliseconds start{10000}; // for the player's socket to appear
    std::chrono::milliseconds poll{100};    // between looks for it
    std::chrono::milliseconds reply{2000};  // for one request's answer
    // How long a player told to quit, then sent SIGTERM, has to end before the next step;
    // SIGKILL follows at most `term` after SIGTERM.
    std::chrono::milliseconds quit{500};
    std::chrono::milliseconds term{2000};
};

class BspLink {
  public:
    explicit BspLink(BspTimeouts timeouts = {});
    ~BspLink();
    BspLink(const BspLink&) = delete;
    BspLink& operator=(const BspLink&) = delete;

    // Starts `bspPath` as a separate process (no shell; arguments as a list; working folder
    // the folder of `bspPath`) with an idle window and an IPC socket in a folder only this user
    // can read, then waits for the socket. `extraArguments` follow the link's own (tests pass
    // "--vo=null", "--ao=null"). Gives the player's process id, the link's BSPWindow, or 0 when
    // no socket appeared within the time limit (the player ended, or is not mpv); a program
    // still running then is stopped (Stop) before this returns, except when cancelled: then
    // it, or the player of an earlier start that was still ending, is left to the caller's
    // Stop, which ends it (nothing new starts after a cancelled wait for the earlier one).
    std::int32_t Start(const std::string& bspPath,
                       const std::vector<std::string>& extraArguments = {});

    // The linked player's process id, 0 while unlinked.
    std::int32_t window() const { return m_window; }
    // Where the linked player listens (for diagnostics and tests).
    const std::string& socketPath() const { return m_socket; }

    // Looks for the linked player again: its process id while it runs and answers, else 0.
    std::int32_t FindPlayer();

    // A command request; the reply (0 when there is none, or when unlinked). BspOnExit stops
    // the player (Stop).
    std::int32_t SendCommand(BspCommandCode code, std::int32_t lParam = 0);
    // BspGetLength or BspGetPosition: the reply, or nothing when the player gave none in time
    // (or is unlinked).
    std::optional<std::int32_t> Ask(BspCommandCode code);

    // Beyond the player protocol: the player's software volume (0..100) and pause state.
    void SetVolume(double percent);
    std::optional<double> Volume();
    void SetPaused(bool paused);
    std::optional<bool> Paused();

    // Ends the started player, in bounded time: asks it to quit (when linked), sends SIGTERM
    // (and SIGCONT, so that a stopped player takes it) after `quit`, SIGKILL after `term` more,
    // and reaps it. Unlinks. Nothing happens without a started player. Cancelled (setCancel),
    // it sends SIGTERM at once and returns without waiting; the player then runs on until the
    // next Stop, which sends SIGKILL at most `term` after that SIGTERM.
    void Stop();
    // True while the started player runs; one that has ended is reaped (and the link unlinked).
    bool Running();

    // While `*flag` is set, a request waiting for its answer, BspAfterOpen's wait, Stop and
    // Start waiting for an earlier player to end or for the socket give up within about 20 ms
    // (Start within one `poll`, leaving the program to the next Stop). The destructor ignores
    // it: the player has ended when it returns.
    void setCancel(const std::atomic<bool>* flag) {
        m_cancel = flag;
        m_client.setCancel(flag);
    }

    // A copy-data request with `payload` (a path); BspGetMovieName gives the movie's path,
    // the other requests an empty text. Unlinked, or without an answer: empty.
    std::string SendCopyData(BspCopyDataTag tag, const std::string& payload = {});

    // Hands `bytes` (a whole subtitle file, as SubtitleFileBytes gives it) to the player as its
    // subtitle file: writes them to a new file of its own (mode 0600) in the link's private
    // folder (under $XDG_RUNTIME_DIR, or a fresh 0700 folder in the system's temporary folder),
    // sends BspLoadSubtitles with its path and deletes the file, whether or not the player read it.
    void LoadSubtitles(std::string_view bytes);

  private:
    // mpv's property `name`; nothing when unlinked or without an answer in time.
    std::optional<nlohmann::json> property(const char* name);
    void setProperty(const char* name, const nlohmann::json& value);
    // Waits up to `limit` for the started player to end; true when it has (and was reaped).
    bool awaitExit(std::chrono::milliseconds limit);
    bool cancelled() const { return m_cancel && m_cancel->load(); }

    BspTimeouts m_timeouts;
    const std::atomic<bool>* m_cancel = nullptr;
    MpvIpcClient m_client;
    std::int32_t m_window = 0;
    pid_t m_pid = -1;
    // When the started player was sent SIGTERM, by a Stop that did not see it end.
    std::optional<std::chrono::steady_clock::time_point> m_termSent;
    std::string m_socketFolder; // private folder holding the sockets of this run
    std::string m_socket;
    int m_starts = 0;
};

} // namespace velkar
