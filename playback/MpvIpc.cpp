#include "playback/MpvIpc.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace velkar {

MpvIpcClient::~MpvIpcClient() {
    close();
}

void MpvIpcClient::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
}

bool MpvIpcClient::connect(const std::string& path) {
    close();
    sockaddr_un address{};
    if (path.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

bool MpvIpcClient::readLine(std::string& line, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (auto end = m_pending.find('\n'); end != std::string::npos) {
            line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{m_fd, POLLIN, 0};
        int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        char buffer[4096];
        ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close(); // the player went away
            return false;
        }
        m_pending.append(buffer, static_cast<std::size_t>(n));
    }
}

std::optional<nlohmann::json> MpvIpcClient::request(const nlohmann::json& command,
                                                    std::chrono::milliseconds timeout) {
    return requestAndAwait(command, {}, timeout);
}

std::optional<nlohmann::json>
MpvIpcClient::requestAndAwait(const nlohmann::json& command,
                              const std::vector<std::string_view>& events,
                              std::chrono::milliseconds timeout) {
    if (m_fd < 0)
        return std::nullopt;
    const long long id = m_nextId++;
    std::string text = nlohmann::json{{"command", command}, {"request_id", id}}.dump(
                           -1, ' ', false, nlohmann::json::error_handler_t::replace) +
                       "\n";
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::send(m_fd, p, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            close();
            return std::nullopt;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string line;
    std::optional<nlohmann::json> result;
    std::size_t seen = 0; // how many of `events` have come, in order
    while ((!result || seen < events.size()) && readLine(line, deadline)) {
        auto message = nlohmann::json::parse(line, nullptr, false);
        if (!message.is_object())
            continue;
        if (message.contains("event")) {
            // Events come in order after the command was sent; earlier ones were read by the
            // requests that caused them.
            if (seen < events.size() && message["event"] == events[seen])
                ++seen;
            continue;
        }
        if (!message.contains("request_id") || message["request_id"] != id)
            continue; // the late reply to an earlier request
        if (message.value("error", "") != "success")
            return std::nullopt;
        result = message.contains("data") ? message["data"] : nlohmann::json();
    }
    return result;
}

} // namespace velkar
