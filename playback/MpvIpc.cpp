#include "playback/MpvIpc.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace velkar {

namespace {
constexpr int kCancelSliceMs = 20;
} // namespace

MpvIpcClient::~MpvIpcClient() {
    close();
}

void MpvIpcClient::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_pending.clear();
    m_begin = m_scanned = 0;
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
        // Only the bytes not looked at yet are searched, and read lines are dropped once per
        // read from the socket, so reading stays linear however the lines come.
        if (auto end = m_pending.find('\n', m_scanned); end != std::string::npos) {
            line.assign(m_pending, m_begin, end - m_begin);
            m_begin = m_scanned = end + 1;
            return true;
        }
        m_pending.erase(0, m_begin);
        m_begin = 0;
        m_scanned = m_pending.size();
        if (m_pending.size() > kMaxLineBytes) {
            close(); // no reply is that long: the player is broken or hostile
            return false;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || (m_cancel && m_cancel->load()))
            return false;
        // In slices while a cancel flag is watched, so that setting it is seen in time.
        const int slice = m_cancel ? std::min<int>(static_cast<int>(left.count()), kCancelSliceMs)
                                   : static_cast<int>(left.count());
        pollfd p{m_fd, POLLIN, 0};
        int ready = ::poll(&p, 1, slice);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready == 0 && slice < left.count())
            continue;
        if (ready <= 0)
            return false;
        char buffer[65536];
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
        // Every field is looked at only after its type: a reply of another shape counts as no
        // answer, and nothing the player sends can make this throw.
        const auto message = nlohmann::json::parse(line, nullptr, false);
        if (!message.is_object())
            continue;
        if (const auto event = message.find("event"); event != message.end()) {
            // Events come in order after the command was sent; earlier ones were read by the
            // requests that caused them.
            if (seen < events.size() && event->is_string() &&
                event->get_ref<const std::string&>() == events[seen])
                ++seen;
            continue;
        }
        const auto replyId = message.find("request_id");
        if (replyId == message.end() || !replyId->is_number_integer() ||
            replyId->get<long long>() != id)
            continue; // the late reply to an earlier request, or no reply at all
        const auto error = message.find("error");
        if (error == message.end() || !error->is_string() ||
            error->get_ref<const std::string&>() != "success")
            return std::nullopt;
        const auto data = message.find("data");
        result = data != message.end() ? *data : nlohmann::json();
    }
    return result;
}

} // namespace velkar
