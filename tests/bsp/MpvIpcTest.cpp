// The IPC client against a fake player on a UNIX socket that answers what a broken or hostile
// player might.

#include "TestSupport.h"

#include "playback/MpvIpc.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace velkar {
namespace {

using namespace std::chrono_literals;

// Listens on a socket in a fresh folder; to each request line of the one client it sends the
// next of `answers`, which is given the socket and the request's id.
class FakePlayer {
  public:
    using Writer = std::function<void(int fd, const std::string& id)>;

    explicit FakePlayer(std::vector<Writer> answers) : m_answers(std::move(answers)) {
        m_listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, path().c_str());
        EXPECT_EQ(::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(m_listener, 1), 0);
        m_thread = std::thread([this] { serve(); });
    }
    ~FakePlayer() {
        ::shutdown(m_listener, SHUT_RDWR);
        m_thread.join();
        ::close(m_listener);
    }
    std::string path() const { return m_folder.path("player.sock").string(); }

    static void SendAll(int fd, const std::string& text) {
        for (std::size_t done = 0; done < text.size();) {
            const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            done += static_cast<std::size_t>(n);
        }
    }

  private:
    void serve() {
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd < 0)
            return;
        std::string pending;
        std::size_t next = 0;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            pending.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                const auto request = nlohmann::json::parse(pending.substr(0, end));
                pending.erase(0, end + 1);
                if (next < m_answers.size())
                    m_answers[next++](fd, request["request_id"].dump());
            }
        }
        ::close(fd);
    }

    test::TempFolder m_folder;
    std::vector<FakePlayer::Writer> m_answers;
    int m_listener = -1;
    std::thread m_thread;
};

// A reply line of `text` in which "ID" stands for the request's id.
FakePlayer::Writer Reply(std::string text) {
    return [text](int fd, const std::string& id) {
        std::string t = text;
        for (std::size_t at; (at = t.find("ID")) != std::string::npos;)
            t.replace(at, 2, id);
        FakePlayer::SendAll(fd, t + "\n");
    };
}

class WrongShapes : public testing::TestWithParam<const char*> {};

TEST_P(WrongShapes, AreNoAnswerAndTheNextReplyStillComes) {
    FakePlayer fake({Reply(GetParam()), Reply(R"({"request_id":ID,"error":"success","data":42})")});
    MpvIpcClient client;
    ASSERT_TRUE(client.connect(fake.path()));
    EXPECT_EQ(client.request({"get_property", "duration"}, 300ms), std::nullopt);
    ASSERT_TRUE(client.connected());
    EXPECT_EQ(client.request({"get_property", "duration"}, 2s), nlohmann::json(42));
}

INSTANTIATE_TEST_SUITE_P(
    MpvIpc, WrongShapes,
    testing::Values(R"({"request_id":ID,"error":5})", R"({"request_id":ID,"error":null})",
                    R"({"request_id":ID,"error":["success"]})", R"({"request_id":ID})",
                    R"({"request_id":"ID","error":"success","data":1})",
                    R"({"request_id":1.5e300,"error":"success"})", R"({"event":5})",
                    R"({"event":null,"request_id":ID,"error":"success"})", "[1,2,3]", "null",
                    "not json at all", "{\"request_id\":ID,\"error\":\"succ\xff\"}",
                    R"([[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[)"));

TEST(MpvIpc, LineThatNeverEndsClosesTheConnection) {
    FakePlayer fake({[](int fd, const std::string&) {
        const std::string chunk(64 << 10, 'x');
        for (int i = 0; i < 64; ++i) // 4 MiB without a line end, unless the client hangs up
            if (::send(fd, chunk.data(), chunk.size(), MSG_NOSIGNAL) <= 0)
                return;
    }});
    MpvIpcClient client;
    ASSERT_TRUE(client.connect(fake.path()));
    EXPECT_EQ(client.request({"get_property", "path"}, 10s), std::nullopt);
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(client.request({"get_property", "path"}, 10s), std::nullopt); // fails at once
}

TEST(MpvIpc, LongLinesUpToTheLimitAndManyShortOnesAreRead) {
    const std::string data((1 << 20) - 100, 'a');
    std::string events;
    for (int i = 0; i < 100000; ++i)
        events += "{\"event\":\"tick\"}\n";
    FakePlayer fake({[&](int fd, const std::string& id) {
        FakePlayer::SendAll(fd, events);
        Reply(R"({"request_id":ID,"error":"success","data":")" + data + "\"}")(fd, id);
    }});
    MpvIpcClient client;
    ASSERT_TRUE(client.connect(fake.path()));
    EXPECT_EQ(client.request({"get_property", "path"}, 20s), nlohmann::json(data));
}

} // namespace
} // namespace velkar
