#include "app/Settings.h"

#include "app/IniFile.h"
#include "document/Errors.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace velkar {
namespace {

namespace fs = std::filesystem;

class SettingsFile : public testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/velkar-settings-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, ec);
        fs::remove_all(m_dir, ec);
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    static void Write(const std::string& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }
    static std::string Read(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path m_dir;
};

TEST_F(SettingsFile, MissingFileGivesTheDefaults) {
    const Settings s = ReadSettings(path("tavrel.ini"));
    EXPECT_EQ(s.BSPPath, "");
    EXPECT_FALSE(s.UseBSP);
    EXPECT_EQ(s.Agression, 3);
}

TEST_F(SettingsFile, ReadsTheThreeKeys) {
    Write(path("tavrel.ini"), "[SETTINGS]\r\nBSPPath=/opt/bsp\r\nUseBSP=1\r\nAgression=7\r\n");
    const Settings s = ReadSettings(path("tavrel.ini"));
    EXPECT_EQ(s.BSPPath, "/opt/bsp");
    EXPECT_TRUE(s.UseBSP);
    EXPECT_EQ(s.Agression, 7);
}

TEST_F(SettingsFile, ANonNumberReadsAsTheDefault) {
    Write(path("tavrel.ini"), "[SETTINGS]\nUseBSP=maybe\nAgression=high\n");
    const Settings s = ReadSettings(path("tavrel.ini"));
    EXPECT_FALSE(s.UseBSP);
    EXPECT_EQ(s.Agression, 3);
}

TEST_F(SettingsFile, WritesTheKeysInOrderAndKeepsTheRest) {
    Write(path("tavrel.ini"), "[OTHER]\nA=1\n");
    Settings s;
    s.BSPPath = "/opt/bsp";
    s.UseBSP = true;
    s.Agression = -1;
    WriteSettings(path("tavrel.ini"), s);
    EXPECT_EQ(Read(path("tavrel.ini")),
              "[OTHER]\r\nA=1\r\n[SETTINGS]\r\nBSPPath=/opt/bsp\r\nUseBSP=1\r\nAgression=-1\r\n");
}

TEST_F(SettingsFile, AFileThatCannotBeWrittenIsReportedWithTheReason) {
    EXPECT_THAT([&] { WriteSettings(path("no/such/folder/tavrel.ini"), Settings()); },
                testing::ThrowsMessage<FileCreateError>(
                    testing::StrEq("Cannot create file " + path("no/such/folder/tavrel.ini") +
                                   ": No such file or directory")));
}

TEST_F(SettingsFile, NulBytesAreDataAndNothingAfterThemIsLost) {
    using namespace std::string_literals;
    const std::string other = "[OTHER]\r\nA=x\0y\r\nB=2\r\n"s;
    Write(path("tavrel.ini"), "[SETTINGS]\r\nBSPPath=/opt/\0bsp\r\n"s + other);
    EXPECT_EQ(ReadSettings(path("tavrel.ini")).BSPPath, "/opt/\0bsp"s);
    WriteSettings(path("tavrel.ini"), Settings());
    EXPECT_EQ(Read(path("tavrel.ini")),
              "[SETTINGS]\r\nBSPPath=\r\nUseBSP=0\r\nAgression=3\r\n" + other);
}

TEST_F(SettingsFile, ASymbolicLinkIsFollowedAndKept) {
    fs::create_directory(path("real"));
    Write(path("real/tavrel.ini"), "[OTHER]\r\nA=1\r\n");
    fs::create_symlink("real/tavrel.ini", path("tavrel.ini"));
    Settings s;
    s.UseBSP = true;
    WriteSettings(path("tavrel.ini"), s);
    EXPECT_TRUE(fs::is_symlink(path("tavrel.ini")));
    EXPECT_TRUE(ReadSettings(path("real/tavrel.ini")).UseBSP);
    EXPECT_THAT(Read(path("real/tavrel.ini")), testing::StartsWith("[OTHER]\r\nA=1\r\n[SETTINGS]"));
}

// A settings file that is there but cannot be read: the defaults, one message, and the file
// left as it is.
TEST_F(SettingsFile, AFileThatCannotBeReadIsLeftAlone) {
    const std::string file = path("tavrel.ini");
    for (const auto& [make, reason] : std::vector<std::pair<std::function<void()>, std::string>>{
             {[&] { ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0); }, ": Not a regular file"},
             {[&] { fs::create_directory(file); }, ": Is a directory"}}) {
        make();
        std::string unreadable;
        const Settings s = ReadSettings(file, &unreadable);
        EXPECT_EQ(s.Agression, 3);
        EXPECT_EQ(unreadable, "Cannot open file " + file + reason +
                                  "\n\rVelkar starts with its default settings and leaves the "
                                  "file as it is.");
        EXPECT_THROW(WriteSettings(file, Settings()), FileOpenError);
        const auto type = fs::symlink_status(file).type();
        EXPECT_TRUE(type == fs::file_type::fifo || type == fs::file_type::directory);
        fs::remove(file);
    }
}

TEST_F(SettingsFile, LivesBesideTheExecutableWhenThatFolderIsWritable) {
    EXPECT_EQ(SettingsFilePath(m_dir.string(), path("config")), path("tavrel.ini"));
    EXPECT_EQ(SettingsFilePath(m_dir.string() + "/", path("config")), path("tavrel.ini"));
}

TEST_F(SettingsFile, GoesToTheConfigurationFolderOtherwise) {
    fs::create_directory(path("bin"));
    fs::permissions(path("bin"), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(path("bin").c_str(), W_OK) == 0)
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    EXPECT_EQ(SettingsFilePath(path("bin"), path("config")), path("config/velkar/tavrel.ini"));
    EXPECT_TRUE(fs::is_directory(path("config/velkar")));
    fs::permissions(path("bin"), fs::perms::owner_all);
}

} // namespace
} // namespace velkar
