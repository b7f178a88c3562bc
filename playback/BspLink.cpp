#include "playback/BspLink.h"

#include "document/SafeWrite.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace velkar {

namespace {

namespace fs = std::filesystem;

// A folder only this user can read: under $XDG_RUNTIME_DIR when set, else a fresh private
// folder in the system's temporary folder.
std::string PrivateFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base = runtime && *runtime ? runtime : fs::temp_directory_path().string();
    std::string pattern = base + "/velkar-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    ::chmod(pattern.c_str(), 0700);
    return pattern;
}

std::int32_t Milliseconds(const std::optional<nlohmann::json>& seconds) {
    if (!seconds || !seconds->is_number())
        return 0;
    const double ms = std::round(seconds->get<double>() * 1000.0);
    if (!(ms >= std::numeric_limits<std::int32_t>::min() &&
          ms <= std::numeric_limits<std::int32_t>::max()))
        return 0;
    return static_cast<std::int32_t>(ms);
}

} // namespace

BspLink::BspLink(BspTimeouts timeouts) : m_timeouts(timeouts) {}

BspLink::~BspLink() {
    setCancel(nullptr); // the player ends here, whoever asked to give up
    Stop();
    if (!m_socketFolder.empty()) {
        std::error_code ec;
        fs::remove_all(m_socketFolder, ec);
    }
}

bool BspLink::Running() {
    if (m_pid <= 0)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid || (done < 0 && errno == ECHILD)) {
        m_pid = -1;
        m_termSent.reset();
        m_window = 0;
        m_client.close();
        return false;
    }
    return true;
}

bool BspLink::awaitExit(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (!Running())
            return true;
        if (std::chrono::steady_clock::now() >= deadline || cancelled())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void BspLink::Stop() {
    // Only a player that was asked to quit is given time to do so.
    const bool asked = m_client.connected() && Running();
    if (asked)
        m_client.request({"quit"}, std::min(m_timeouts.quit, m_timeouts.reply));
    m_client.close();
    m_window = 0;
    if (m_pid <= 0 || (asked && awaitExit(m_timeouts.quit)))
        return;
    // A Stop given up on before has sent SIGTERM already: SIGKILL still follows at most `term`
    // after that one.
    const auto now = std::chrono::steady_clock::now();
    if (!m_termSent) {
        ::kill(m_pid, SIGTERM);
        ::kill(m_pid, SIGCONT); // a stopped process acts on SIGTERM only once it runs again
        m_termSent = now;
    }
    const auto left =
        std::max(std::chrono::steady_clock::duration::zero(), *m_termSent + m_timeouts.term - now);
    if (awaitExit(std::chrono::duration_cast<std::chrono::milliseconds>(left)) || cancelled())
        return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
    m_termSent.reset();
}

std::int32_t BspLink::Start(const std::string& bspPath,
                            const std::vector<std::string>& extraArguments) {
    Stop(); // the player of an earlier start
    if (cancelled())
        return 0; // the earlier player, if it still runs, is left to the owner's Stop
    if (m_socketFolder.empty())
        m_socketFolder = PrivateFolder();
    if (m_socketFolder.empty())
        return 0;
    const std::string socket = m_socketFolder + "/player-" + std::to_string(++m_starts) + ".sock";
    m_socket = socket;

    std::vector<std::string> arguments{bspPath, "--idle=yes", "--force-window=yes", "--no-terminal",
                                       "--input-ipc-server=" + socket};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    std::vector<char*> argv;
    for (auto& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string folder = fs::path(bspPath).parent_path().string();
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int failed =
        ::posix_spawn(&pid, bspPath.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return 0;
    m_pid = pid;
    m_termSent.reset();

    const auto deadline = std::chrono::steady_clock::now() + m_timeouts.start;
    for (;;) {
        if (m_client.connect(socket)) {
            m_window = static_cast<std::int32_t>(pid);
            return m_window;
        }
        if (cancelled())
            return 0; // the program stays started: the owner's Stop ends it
        if (!Running() || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(m_timeouts.poll);
    }
    Stop(); // started, but it is no player we can talk to
    return 0;
}

std::int32_t BspLink::FindPlayer() {
    if (m_window == 0 || !m_client.connected() || !Running())
        return 0;
    return m_client.request({"get_property", "pid"}, m_timeouts.reply) ? m_window : 0;
}

std::int32_t BspLink::SendCommand(BspCommandCode code, std::int32_t lParam) {
    if (m_window == 0)
        return 0;
    const auto reply = m_timeouts.reply;
    switch (code) {
    case BspGetLength:
    case BspGetPosition:
        return Ask(code).value_or(0);
    case BspSeek:
        // The seek is done when the player restarts playback at the new place.
        m_client.requestAndAwait({"seek", lParam / 1000.0, "absolute+exact"},
                                 {"seek", "playback-restart"}, reply);
        return 0;
    case BspAfterOpen: {
        // Wait until playback has a position, so that the first polls already find one.
        const auto deadline = std::chrono::steady_clock::now() + reply;
        while (m_client.connected() && std::chrono::steady_clock::now() < deadline &&
               !cancelled()) {
            if (m_client.request({"get_property", "time-pos"}, reply))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }
    case BspOnExit:
        Stop();
        return 0;
    }
    return 0;
}

std::optional<std::int32_t> BspLink::Ask(BspCommandCode code) {
    if ((code != BspGetLength && code != BspGetPosition) || !Running())
        return std::nullopt;
    const auto reply = property(code == BspGetLength ? "duration" : "time-pos");
    if (!reply)
        return std::nullopt;
    return Milliseconds(reply);
}

std::optional<nlohmann::json> BspLink::property(const char* name) {
    if (m_window == 0)
        return std::nullopt;
    return m_client.request({"get_property", name}, m_timeouts.reply);
}

void BspLink::setProperty(const char* name, const nlohmann::json& value) {
    if (m_window != 0)
        m_client.request({"set_property", name, value}, m_timeouts.reply);
}

void BspLink::SetVolume(double percent) {
    setProperty("volume", std::clamp(percent, 0.0, 100.0));
}

std::optional<double> BspLink::Volume() {
    const auto reply = property("volume");
    if (!reply || !reply->is_number())
        return std::nullopt;
    return reply->get<double>();
}

void BspLink::SetPaused(bool paused) {
    setProperty("pause", paused);
}

std::optional<bool> BspLink::Paused() {
    const auto reply = property("pause");
    if (!reply || !reply->is_boolean())
        return std::nullopt;
    return reply->get<bool>();
}

std::string BspLink::SendCopyData(BspCopyDataTag tag, const std::string& payload) {
    if (m_window == 0)
        return {};
    const auto reply = m_timeouts.reply;
    switch (tag) {
    case BspOpenMovie:
        // "loadfile" answers at once; the movie can be sought once it has loaded.
        m_client.requestAndAwait({"loadfile", payload}, {"file-loaded"}, reply);
        return {};
    case BspLoadSubtitles:
        m_client.request({"sub-add", payload, "select"}, reply);
        return {};
    case BspGetMovieName: {
        auto path = m_client.request({"get_property", "path"}, reply);
        if (!path || !path->is_string())
            return {};
        std::string name = path->get<std::string>();
        if (name.size() > 259) // what a 260-byte buffer with its zero byte holds
            name.resize(259);
        return name;
    }
    }
    return {};
}

void BspLink::LoadSubtitles(std::string_view bytes) {
    // In the link's private folder, never under a fixed name: nobody else can read the file,
    // put something in its place or have a file of theirs truncated by it.
    if (m_socketFolder.empty())
        m_socketFolder = PrivateFolder();
    if (m_socketFolder.empty())
        return; // a failure to write the file is not reported
    std::string path = m_socketFolder + "/subtitles-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0)
        return;
    WriteAll(fd, bytes.data(), bytes.size());
    ::close(fd);
    SendCopyData(BspLoadSubtitles, path);
    ::unlink(path.c_str());
}

} // namespace velkar
