#pragma once
// A client of mpv's JSON IPC socket: one request line out, its reply back, events skipped.

#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkar {

class MpvIpcClient {
  public:
    MpvIpcClient() = default;
    ~MpvIpcClient();
    MpvIpcClient(const MpvIpcClient&) = delete;
    MpvIpcClient& operator=(const MpvIpcClient&) = delete;

    // Connects to the UNIX socket at `path`; false when nobody listens there (yet).
    bool connect(const std::string& path);
    bool connected() const { return m_fd >= 0; }
    void close();

    // While `*flag` is set, waiting for an answer ends within about 20 ms (as a time-out), so
    // that a thread waiting on a hung player can be stopped. nullptr: never.
    void setCancel(const std::atomic<bool>* flag) { m_cancel = flag; }

    // A line from the player longer than this (1 MiB) closes the connection.
    static constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

    // Sends {"command": command, "request_id": n} and waits up to `timeout` for the reply with
    // that id. Gives the reply's "data" (null when it has none) when its "error" is "success";
    // nothing on an error reply, a reply of another shape, a time-out or a closed connection
    // (which also closes the client, so later requests fail at once). Never throws for what
    // the player sends; a line longer than kMaxLineBytes closes the connection.
    std::optional<nlohmann::json> request(const nlohmann::json& command,
                                          std::chrono::milliseconds timeout);

    // As request, and also waits (within the same time limit) for the events named in
    // `events` to come in that order after the command was sent ("seek", then "playback-restart"
    // after a seek), so that the command's effect is visible when this returns.
    std::optional<nlohmann::json> requestAndAwait(const nlohmann::json& command,
                                                  const std::vector<std::string_view>& events,
                                                  std::chrono::milliseconds timeout);

  private:
    // Reads one line within `deadline`; false on time-out or a closed connection.
    bool readLine(std::string& line, std::chrono::steady_clock::time_point deadline);

    int m_fd = -1;
    const std::atomic<bool>* m_cancel = nullptr;
    long long m_nextId = 1;
    std::string m_pending;     // bytes read from the socket; lines before m_begin are done
    std::size_t m_begin = 0;   // where the next line starts in m_pending
    std::size_t m_scanned = 0; // m_pending holds no line end from m_begin to here
};

} // namespace velkar
