#include "document/SafeWrite.h"
#include "document/Errors.h"

#include "TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velkar {
namespace {

namespace fs = std::filesystem;
using testing::StrEq;
using testing::ThrowsMessage;

constexpr uid_t kNobody = 65534;

struct stat StatOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
    return st;
}

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `save` in a child process, as the user "nobody" when `asNobody`, and gives the message it
// failed with ("" when it succeeded). Only root can change users.
std::string SaveInChild(const std::function<void()>& save, bool asNobody) {
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        std::string message;
        if (asNobody &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            message = "could not become nobody";
        else
            try {
                save();
            } catch (const std::exception& e) {
                message = e.what();
            }
        [[maybe_unused]] auto n = ::write(pipe[1], message.data(), message.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    return message;
}

std::string SaveAsNobody(const std::function<void()>& save) {
    return SaveInChild(save, true);
}

// A folder that the user "nobody" can enter.
struct OpenFolder : test::TempFolder {
    OpenFolder() { fs::permissions(path(""), fs::perms::all); }
};

// What stands at the target, and the reason a save onto it is refused with.
struct RefusedTarget {
    const char* name;
    std::function<void(const fs::path&)> make;
    const char* reason;
};

class RefusedTargets : public testing::TestWithParam<RefusedTarget> {};

TEST_P(RefusedTargets, AreLeftAsTheyWereAndTheMessageSaysWhy) {
    test::TempFolder folder;
    const fs::path target = folder.path("target");
    GetParam().make(target);
    const auto before = Entries(folder.path(""));
    const mode_t type = fs::exists(fs::symlink_status(target)) ? StatOf(target).st_mode : 0;
    EXPECT_THAT([&] { SafeWriteBytes(target, "new"); },
                ThrowsMessage<FileCreateError>(
                    StrEq("Cannot create file " + target.string() + ": " + GetParam().reason)));
    EXPECT_EQ(Entries(folder.path("")), before); // no temporary file stays behind
    if (type != 0) {
        EXPECT_EQ(StatOf(target).st_mode, type);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SafeWrite, RefusedTargets,
    testing::Values(
        RefusedTarget{"Fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); },
                      "Not a regular file"},
        RefusedTarget{"Folder",
                      [](const fs::path& p) {
                          fs::create_directory(p);
                          test::WriteBytes(p / "inside", "x");
                      },
                      "Is a directory"},
        RefusedTarget{"LinkToFifo",
                      [](const fs::path& p) {
                          ASSERT_EQ(::mkfifo((p.string() + ".fifo").c_str(), 0644), 0);
                          fs::create_symlink("target.fifo", p);
                      },
                      "Not a regular file"},
        RefusedTarget{"LinkLoop", [](const fs::path& p) { fs::create_symlink("target", p); },
                      "Too many levels of symbolic links"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SafeWrite, MissingFolderIsNamedInTheMessage) {
    test::TempFolder folder;
    const fs::path target = folder.path("no-such-folder") / "x.srt";
    EXPECT_THAT([&] { SafeWriteBytes(target, "data"); },
                ThrowsMessage<FileCreateError>(StrEq("Cannot create file " + target.string() +
                                                     ": No such file or directory")));
}

TEST(SafeWrite, DevicesAreRefusedWithoutBeingTouched) {
    EXPECT_THAT(
        [] { SafeWriteBytes("/dev/null", "x"); },
        ThrowsMessage<FileCreateError>(StrEq("Cannot create file /dev/null: Not a regular file")));
    EXPECT_TRUE(S_ISCHR(StatOf("/dev/null").st_mode));
    // A device node of our own, where the system lets us make one.
    test::TempFolder folder;
    const fs::path device = folder.path("null");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        EXPECT_THROW(SafeWriteBytes(device, "x"), FileCreateError);
        EXPECT_TRUE(S_ISCHR(StatOf(device).st_mode));
    }
}

TEST(SafeWrite, SymbolicLinkStaysAndTheFileItNamesIsReplaced) {
    test::TempFolder folder;
    fs::create_directory(folder.path("real"));
    const fs::path file = folder.path("real") / "subs.srt";
    test::WriteBytes(file, "old");
    ::chmod(file.c_str(), 0604);
    fs::create_symlink("real/subs.srt", folder.path("link1"));
    fs::create_symlink(folder.path("link1"), folder.path("link2")); // absolute, to a link
    SafeWriteBytes(folder.path("link2"), "new");
    EXPECT_TRUE(fs::is_symlink(folder.path("link1")));
    EXPECT_TRUE(fs::is_symlink(folder.path("link2")));
    EXPECT_EQ(test::ReadBytes(file), "new");
    EXPECT_EQ(StatOf(file).st_mode & 07777, 0604u);
    EXPECT_EQ(Entries(folder.path("real")), std::vector<std::string>{"subs.srt"});
    // A link to a file that does not exist yet makes that file.
    fs::create_symlink("real/new.srt", folder.path("dangling"));
    SafeWriteBytes(folder.path("dangling"), "made");
    EXPECT_EQ(test::ReadBytes(folder.path("real") / "new.srt"), "made");
    EXPECT_TRUE(fs::is_symlink(folder.path("dangling")));
}

TEST(SafeWrite, NewFileGetsTheUsualModeAndReplacedOneKeepsItsOwn) {
    test::TempFolder folder;
    const mode_t mask = ::umask(022);
    SafeWriteBytes(folder.path("new.srt"), "x");
    EXPECT_EQ(StatOf(folder.path("new.srt")).st_mode & 07777, 0644u);
    ::chmod(folder.path("new.srt").c_str(), 0640);
    SafeWriteBytes(folder.path("new.srt"), "y");
    EXPECT_EQ(StatOf(folder.path("new.srt")).st_mode & 07777, 0640u);
    EXPECT_EQ(test::ReadBytes(folder.path("new.srt")), "y");
    ::umask(mask);
}

TEST(SafeWrite, ForeignOwnerGroupAndModeAreKept) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can replace another user's file";
    test::TempFolder folder;
    const fs::path file = folder.path("theirs.srt");
    test::WriteBytes(file, "old");
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0460), 0);
    SafeWriteBytes(file, "new");
    const struct stat st = StatOf(file);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0460u);
    EXPECT_EQ(test::ReadBytes(file), "new");
}

TEST(SafeWrite, FileTheUserMayNotWriteIsRefused) {
    OpenFolder folder;
    const fs::path file = folder.path("readonly.srt");
    test::WriteBytes(file, "old");
    ::chmod(file.c_str(), 0444);
    const std::string expected = "Cannot create file " + file.string() + ": Permission denied";
    if (::geteuid() == 0) {
        EXPECT_EQ(SaveAsNobody([&] { SafeWriteBytes(file, "new"); }), expected);
    } else {
        EXPECT_THAT([&] { SafeWriteBytes(file, "new"); },
                    ThrowsMessage<FileCreateError>(StrEq(expected)));
    }
    EXPECT_EQ(test::ReadBytes(file), "old");
    EXPECT_EQ(Entries(folder.path("")), std::vector<std::string>{"readonly.srt"});
}

TEST(SafeWrite, WritableFileInFolderThatTakesNoNewFileIsRewrittenInPlace) {
    OpenFolder folder;
    const fs::path inner = folder.path("locked");
    fs::create_directory(inner);
    const fs::path file = inner / "subs.srt";
    test::WriteBytes(file, "old contents, longer than the new");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
        ::chmod(inner.c_str(), 0555);
        EXPECT_EQ(SaveAsNobody([&] { SafeWriteBytes(file, "new"); }), "");
        // A new file there is still refused, with the reason.
        EXPECT_EQ(SaveAsNobody([&] { SafeWriteBytes(inner / "other.srt", "x"); }),
                  "Cannot create file " + (inner / "other.srt").string() + ": Permission denied");
    } else {
        ::chmod(inner.c_str(), 0555);
        SafeWriteBytes(file, "new");
    }
    EXPECT_EQ(test::ReadBytes(file), "new");
    EXPECT_EQ(StatOf(file).st_uid, ::geteuid() == 0 ? kNobody : ::geteuid());
    ::chmod(inner.c_str(), 0755);
}

// A save killed half-way, in a child process.
pid_t KilledSave(const fs::path& target, SaveTemporary temporary) {
    const pid_t child = ::fork();
    if (child == 0) {
        SafeWrite(
            target,
            [](int fd) {
                const std::string block(1 << 20, 'x');
                for (int i = 0; i < 8; ++i)
                    WriteAll(fd, block.data(), block.size());
                ::raise(SIGKILL);
                return true;
            },
            temporary);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    return child;
}

TEST(SafeWrite, KilledSaveKeepsTheTargetAndTheNextSaveRemovesWhatItLeft) {
    test::TempFolder folder;
    const fs::path target = folder.path("subs.srt");
    test::WriteBytes(target, "old");
    // A hidden file of a save that is still running is left alone.
    const std::string running = std::string(kSaveTemporaryPrefix) + "1-abcdefgh";
    test::WriteBytes(folder.path(running), "in progress");

    const pid_t killed = KilledSave(target, SaveTemporary::Named);
    EXPECT_EQ(test::ReadBytes(target), "old");
    const auto left = Entries(folder.path(""));
    ASSERT_EQ(left.size(), 3u);
    EXPECT_THAT(left, testing::Contains(testing::StartsWith(std::string(kSaveTemporaryPrefix) +
                                                            std::to_string(killed) + "-")));

    SafeWriteBytes(folder.path("other.srt"), "x"); // any save into the folder
    EXPECT_EQ(Entries(folder.path("")),
              (std::vector<std::string>{running, "other.srt", "subs.srt"}));

    // The usual anonymous file leaves nothing behind at all.
    KilledSave(target, SaveTemporary::Anonymous);
    EXPECT_EQ(Entries(folder.path("")),
              (std::vector<std::string>{running, "other.srt", "subs.srt"}));
    EXPECT_EQ(test::ReadBytes(target), "old");
}

TEST(SafeWrite, FailedWriteKeepsTheOldFile) {
    test::TempFolder folder;
    const fs::path target = folder.path("subs.srt");
    test::WriteBytes(target, "old");
    for (SaveTemporary temporary : {SaveTemporary::Anonymous, SaveTemporary::Named}) {
        EXPECT_THAT(
            [&] {
                SafeWrite(
                    target,
                    [](int) {
                        errno = ENOSPC;
                        return false;
                    },
                    temporary);
            },
            ThrowsMessage<FileCreateError>(
                StrEq("Cannot create file " + target.string() + ": No space left on device")));
        EXPECT_EQ(test::ReadBytes(target), "old");
        EXPECT_EQ(Entries(folder.path("")), std::vector<std::string>{"subs.srt"});
    }
}

// A file rewritten in place (its folder takes no new file; root would not notice, so the save
// runs as "nobody" then) under a file size limit of 16 KiB: whatever fails before the first byte
// changes leaves the old file whole; what fits replaces it exactly.
struct InPlaceCase {
    const char* name;
    std::size_t size; // bytes of the new text
    int fillError;    // errno the fill fails with half-way, or 0
    const char* reason;
};

class InPlaceSave : public testing::TestWithParam<InPlaceCase> {};

TEST_P(InPlaceSave, ChangesNothingUnlessTheWholeNewTextFits) {
    const InPlaceCase c = GetParam();
    OpenFolder folder;
    const fs::path inner = folder.path("locked");
    fs::create_directory(inner);
    const fs::path file = inner / "t.srt";
    const std::string old(4096, 'o');
    test::WriteBytes(file, old);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    }
    ::chmod(inner.c_str(), 0555);
    const std::string bytes(c.size, 'n');
    const std::string message = SaveInChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails with EFBIG instead
            const struct rlimit limit = {16384, 16384};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            SafeWrite(file, [&](int fd) {
                if (c.fillError == 0)
                    return WriteAll(fd, bytes.data(), bytes.size());
                WriteAll(fd, bytes.data(), bytes.size() / 2);
                errno = c.fillError;
                return false;
            });
        },
        root);
    ::chmod(inner.c_str(), 0755);
    if (*c.reason == 0) {
        EXPECT_EQ(message, "");
        EXPECT_EQ(test::ReadBytes(file), bytes);
    } else {
        EXPECT_EQ(message, "Cannot create file " + file.string() + ": " + c.reason);
        EXPECT_EQ(test::ReadBytes(file), old);
    }
    EXPECT_EQ(Entries(inner), std::vector<std::string>{"t.srt"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InPlaceSave,
    testing::Values(InPlaceCase{"Shorter", 100, 0, ""}, InPlaceCase{"Longer", 16384, 0, ""},
                    InPlaceCase{"Empty", 0, 0, ""},
                    InPlaceCase{"OverTheSizeLimit", 16385, 0, "File too large"},
                    InPlaceCase{"FillFails", 8192, ENOSPC, "No space left on device"}),
    [](const testing::TestParamInfo<InPlaceCase>& info) { return std::string(info.param.name); });

// A real full disk: a 64 KiB tmpfs, where root can mount one.
TEST(SafeWrite, RewriteInPlaceOnAFullDiskKeepsTheOldFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can mount a small file system and become nobody";
    OpenFolder folder;
    const fs::path disk = folder.path("disk");
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k,mode=0777") != 0)
        GTEST_SKIP() << "tmpfs cannot be mounted here";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    const fs::path inner = disk / "ro";
    fs::create_directory(inner);
    const fs::path file = inner / "t.srt";
    const std::string old(10000, 'o');
    test::WriteBytes(file, old);
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    ::chmod(inner.c_str(), 0555);

    EXPECT_EQ(SaveAsNobody([&] { SafeWriteBytes(file, std::string(100000, 'n')); }),
              "Cannot create file " + file.string() + ": No space left on device");
    EXPECT_EQ(test::ReadBytes(file), old);
    // The room a failed save asked for is free again: a text that fits is written whole.
    const std::string fits(40000, 'f');
    EXPECT_EQ(SaveAsNobody([&] { SafeWriteBytes(file, fits); }), "");
    EXPECT_EQ(test::ReadBytes(file), fits);
}

// A folder whose new files take its group (setgid) does not change the group of the file a save
// replaces.
TEST(SafeWrite, SetgidFolderLeavesTheReplacedFilesGroup) {
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(
        std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    gid_t other = ::geteuid() == 0 ? kNobody : ::getegid();
    for (gid_t g : groups)
        if (other == ::getegid() && g != ::getegid())
            other = g;
    if (other == ::getegid())
        GTEST_SKIP() << "needs root or a second group";
    test::TempFolder folder;
    const fs::path shared = folder.path("shared");
    fs::create_directory(shared);
    ASSERT_EQ(::chown(shared.c_str(), static_cast<uid_t>(-1), other), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 02775), 0);
    const fs::path file = shared / "t.srt";
    test::WriteBytes(file, "old");
    ASSERT_EQ(::chown(file.c_str(), ::geteuid(), ::getegid()), 0);
    SafeWriteBytes(file, "new");
    EXPECT_EQ(StatOf(file).st_gid, ::getegid());
    EXPECT_EQ(StatOf(file).st_uid, ::geteuid());
    EXPECT_EQ(test::ReadBytes(file), "new");
    // A new file there takes the folder's group, as the folder asks.
    SafeWriteBytes(shared / "new.srt", "x");
    EXPECT_EQ(StatOf(shared / "new.srt").st_gid, other);
}

} // namespace
} // namespace velkar
