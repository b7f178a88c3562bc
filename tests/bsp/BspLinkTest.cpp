// The external player link against a real mpv, started as the user's player would be.

#include "TestSupport.h"

#include "playback/BspLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace velkar {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using test::Gone;

const std::vector<std::string> kQuiet{"--vo=null", "--ao=null", "--force-window=no"};

// A 10-second 320 x 240 clip made once for all tests of this file.
class BspLinkTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        s_folder = new test::TempFolder;
        s_clip = s_folder->path("clip.avi").string();
        const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                    "testsrc=duration=10:size=320x240:rate=25"
                                    " -f lavfi -i sine=duration=10 -c:v mpeg4 -c:a pcm_s16le '" +
                                    s_clip + "'";
        s_haveClip = std::system(command.c_str()) == 0;
    }
    static void TearDownTestSuite() {
        delete s_folder;
        s_folder = nullptr;
    }
    void SetUp() override {
        if (::access("/usr/bin/mpv", X_OK) != 0 || !s_haveClip)
            GTEST_SKIP() << "mpv or ffmpeg is not installed";
    }

    static inline test::TempFolder* s_folder = nullptr;
    static inline std::string s_clip;
    static inline bool s_haveClip = false;
};

// Tests that bound how long a step takes: run alone, and only in the plain build.
class BspLinkTiming : public BspLinkTest {};

// A second client on the player's socket, to see what the player itself reports.
nlohmann::json Property(const BspLink& link, const char* name) {
    MpvIpcClient client;
    if (!client.connect(link.socketPath()))
        return {};
    return client.request({"get_property", name}, 2s).value_or(nlohmann::json());
}

TEST_F(BspLinkTest, OpensAMovieAndAnswersInMilliseconds) {
    BspLink link;
    const std::int32_t window = link.Start("/usr/bin/mpv", kQuiet);
    ASSERT_NE(window, 0);
    EXPECT_EQ(link.window(), window);
    link.SendCopyData(BspOpenMovie, s_clip);
    link.SendCommand(BspAfterOpen);
    EXPECT_EQ(link.SendCommand(BspGetLength), 10000);
    // Paused, the position stays where the seek put it (playing, it runs on at once).
    MpvIpcClient user;
    ASSERT_TRUE(user.connect(link.socketPath()));
    user.request({"set_property", "pause", true}, 2s);
    link.SendCommand(BspSeek, 4000);
    EXPECT_EQ(link.SendCommand(BspGetPosition), 4000);
    link.SendCommand(BspSeek, 6520);
    EXPECT_EQ(link.SendCommand(BspGetPosition), 6520);
    EXPECT_EQ(link.SendCopyData(BspGetMovieName), s_clip);
    EXPECT_EQ(link.FindPlayer(), window);
    link.SendCommand(BspOnExit);
    EXPECT_EQ(link.FindPlayer(), 0);
    EXPECT_NE(::kill(window, 0), 0) << "the player quit";
}

TEST_F(BspLinkTest, LoadsSubtitlesFromAPrivateFileAndDeletesIt) {
    BspLink link;
    ASSERT_NE(link.Start("/usr/bin/mpv", kQuiet), 0);
    link.SendCopyData(BspOpenMovie, s_clip);
    link.SendCommand(BspAfterOpen);
    link.LoadSubtitles("1\r\n00:00:01,000 --> 00:00:03,000\r\nHello from Velkar\r\n\r\n");
    const auto tracks = Property(link, "track-list");
    std::string file;
    for (const auto& track : tracks)
        if (track.value("type", "") == "sub" && track.value("external", false))
            file = track.value("external-filename", "");
    ASSERT_FALSE(file.empty()) << tracks.dump();
    EXPECT_FALSE(fs::exists(file));
    struct stat folder {};
    ASSERT_EQ(::stat(fs::path(file).parent_path().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);
    EXPECT_EQ(folder.st_uid, ::geteuid());
    link.SendCommand(BspOnExit);
}

TEST_F(BspLinkTest, UnlinkedRequestsReachNobodyAndTheFileIsStillWrittenAndDeleted) {
    test::TempFolder runtime;
    const char* before = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = before ? before : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.path("").c_str(), 1);
    {
        BspLink link;
        EXPECT_EQ(link.window(), 0);
        EXPECT_EQ(link.SendCommand(BspGetPosition), 0);
        EXPECT_EQ(link.SendCopyData(BspGetMovieName), "");
        link.LoadSubtitles("x\r\n");
        // One private folder of the link, and nothing left in it.
        std::vector<fs::path> folders(fs::directory_iterator(runtime.path("")), {});
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(fs::status(folders[0]).permissions(), fs::perms::owner_all);
        EXPECT_TRUE(fs::is_empty(folders[0]));
    }
    EXPECT_TRUE(fs::is_empty(runtime.path(""))); // the link removes its folder when it goes
    if (before)
        ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    else
        ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(BspLinkTiming, ProgramThatIsNoPlayerGivesNoWindow) {
    BspLink quick({1000ms, 100ms, 500ms});
    EXPECT_EQ(quick.Start("/bin/true"), 0);

    // A program that runs on but never opens the socket: the link gives up at the limit.
    test::TempFolder folder;
    const auto script = folder.path("sleeper");
    std::ofstream(script) << "#!/bin/sh\nexec sleep 30\n";
    ::chmod(script.c_str(), 0755);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(quick.Start(script.string()), 0);
    const auto waited = std::chrono::steady_clock::now() - before;
    EXPECT_GE(waited, 900ms);
    EXPECT_LT(waited, 5s);
    EXPECT_EQ(quick.Start("/no/such/player"), 0);
}

TEST_F(BspLinkTiming, ProgramsThatDoNotEndAreStoppedInBoundedTimeAndReaped) {
    // A program that ignores SIGTERM and never opens the socket: SIGKILL at most `term` after
    // SIGTERM, and no zombie.
    test::TempFolder folder;
    const auto script = folder.path("stubborn");
    const auto pidFile = folder.path("pid");
    std::ofstream(script) << "#!/bin/sh\necho $$ > '" << pidFile.string()
                          << "'\ntrap '' TERM\nwhile :; do sleep 0.05; done\n";
    ::chmod(script.c_str(), 0755);
    BspLink link({500ms, 50ms, 500ms, 500ms, 1000ms});
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(link.Start(script.string()), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 500ms + 1000ms + 500ms);
    pid_t stubborn = 0;
    std::ifstream(pidFile) >> stubborn;
    ASSERT_GT(stubborn, 0);
    EXPECT_TRUE(Gone(stubborn));

    // A stopped player takes SIGTERM once it is let run again: it ends at once, not at SIGKILL.
    BspLink mpv; // with the default time for mpv to come up
    const std::int32_t player = mpv.Start("/usr/bin/mpv", kQuiet);
    ASSERT_NE(player, 0);
    ::kill(player, SIGSTOP);
    const auto stopping = std::chrono::steady_clock::now();
    mpv.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 500ms + 500ms + 900ms);
    EXPECT_TRUE(Gone(player));
    EXPECT_EQ(mpv.window(), 0);

    // A player that quits by itself is reaped by the next look.
    const std::int32_t quitting = mpv.Start("/usr/bin/mpv", kQuiet);
    ASSERT_NE(quitting, 0);
    MpvIpcClient user;
    ASSERT_TRUE(user.connect(mpv.socketPath()));
    user.request({"quit"}, 2s);
    for (int i = 0; i < 200 && mpv.Running(); ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(mpv.Running());
    EXPECT_TRUE(Gone(quitting));
}

TEST_F(BspLinkTiming, ACancelledStopReturnsAtOnceAndTheNextStopStillKillsInTime) {
    // The stubborn program of the test above, given up on: SIGTERM after 500 ms, SIGKILL due
    // 1000 ms later. The owner cancels while the link waits for it to end.
    test::TempFolder folder;
    const auto script = folder.path("stubborn");
    const auto pidFile = folder.path("pid");
    std::ofstream(script) << "#!/bin/sh\necho $$ > '" << pidFile.string()
                          << "'\ntrap '' TERM\nwhile :; do sleep 0.05; done\n";
    ::chmod(script.c_str(), 0755);
    BspLink link({500ms, 50ms, 500ms, 500ms, 1000ms});
    std::atomic<bool> cancel{false};
    link.setCancel(&cancel);
    const auto started = std::chrono::steady_clock::now();
    std::atomic<bool> returned{false};
    std::thread owner([&] {
        EXPECT_EQ(link.Start(script.string()), 0);
        returned = true;
    });
    std::this_thread::sleep_until(started + 700ms);
    cancel = true;
    const auto cancelled = std::chrono::steady_clock::now();
    while (!returned && std::chrono::steady_clock::now() - cancelled < 3s)
        std::this_thread::sleep_for(5ms);
    EXPECT_LT(std::chrono::steady_clock::now() - cancelled, 200ms); // not at SIGKILL
    owner.join();
    pid_t stubborn = 0;
    std::ifstream(pidFile) >> stubborn;
    ASSERT_GT(stubborn, 0);
    EXPECT_FALSE(Gone(stubborn)); // it ignores SIGTERM

    // The next Stop goes on from that SIGTERM: SIGKILL at about 1500 ms, not 1000 ms later.
    link.setCancel(nullptr);
    link.Stop();
    EXPECT_TRUE(Gone(stubborn));
    EXPECT_LT(std::chrono::steady_clock::now() - started, 500ms + 1000ms + 400ms);
}

TEST_F(BspLinkTiming, KilledPlayerGivesZeroRepliesAtOnce) {
    BspLink link;
    const std::int32_t window = link.Start("/usr/bin/mpv", kQuiet);
    ASSERT_NE(window, 0);
    link.SendCopyData(BspOpenMovie, s_clip);
    link.SendCommand(BspAfterOpen);
    ::kill(window, SIGKILL);
    std::this_thread::sleep_for(100ms);
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(link.SendCommand(BspGetLength), 0);
    EXPECT_EQ(link.SendCommand(BspGetPosition), 0);
    EXPECT_EQ(link.SendCopyData(BspGetMovieName), "");
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_EQ(link.FindPlayer(), 0);
}

TEST_F(BspLinkTest, MovieNameIsCutLikeTheFixedBuffer) {
    // A path longer than the 260-byte buffer: the player loads it, the name comes back cut.
    test::TempFolder folder;
    fs::path deep = folder.path(std::string(120, 'a')) / std::string(120, 'b');
    fs::create_directories(deep);
    const std::string longPath = (deep / "clip.avi").string();
    fs::copy_file(s_clip, longPath);
    ASSERT_GT(longPath.size(), 259u);
    BspLink link;
    ASSERT_NE(link.Start("/usr/bin/mpv", kQuiet), 0);
    link.SendCopyData(BspOpenMovie, longPath);
    link.SendCommand(BspAfterOpen);
    EXPECT_EQ(link.SendCopyData(BspGetMovieName), longPath.substr(0, 259));
    link.SendCommand(BspOnExit);
}

} // namespace
} // namespace velkar
