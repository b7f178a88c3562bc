#include "playback/MovieFile.h"

#include "TestSupport.h"

#include <cctype>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velkar {
namespace {

namespace fs = std::filesystem;

const char kNotRegular[] =
    "it is not a regular file (a pipe, a device or a folder cannot be played)";

struct MovieCase {
    const char* name;
    std::function<fs::path(const test::TempFolder&)> make;
    const char* problem;
};

class MovieFiles : public testing::TestWithParam<MovieCase> {};

TEST_P(MovieFiles, AreTakenOnlyWhenRegularAndReadable) {
    test::TempFolder folder;
    const fs::path path = GetParam().make(folder);
    EXPECT_EQ(MovieFileProblem(path.string()), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MovieFiles,
    testing::Values(
        MovieCase{"regular",
                  [](const test::TempFolder& f) {
                      test::WriteBytes(f.path("a.avi"), "RIFF");
                      return f.path("a.avi");
                  },
                  ""},
        MovieCase{"empty",
                  [](const test::TempFolder& f) {
                      test::WriteBytes(f.path("e.avi"), "");
                      return f.path("e.avi");
                  },
                  ""},
        MovieCase{"link to a regular file",
                  [](const test::TempFolder& f) {
                      test::WriteBytes(f.path("a.avi"), "RIFF");
                      fs::create_symlink(f.path("a.avi"), f.path("l.avi"));
                      return f.path("l.avi");
                  },
                  ""},
        MovieCase{"fifo",
                  [](const test::TempFolder& f) {
                      ::mkfifo(f.path("p.avi").c_str(), 0600);
                      return f.path("p.avi");
                  },
                  kNotRegular},
        MovieCase{"folder", [](const test::TempFolder& f) { return f.path(""); }, kNotRegular},
        MovieCase{"device", [](const test::TempFolder&) { return fs::path("/dev/null"); },
                  kNotRegular},
        MovieCase{"missing", [](const test::TempFolder& f) { return f.path("none.avi"); },
                  "No such file or directory"},
        MovieCase{"dangling link",
                  [](const test::TempFolder& f) {
                      fs::create_symlink(f.path("none.avi"), f.path("l.avi"));
                      return f.path("l.avi");
                  },
                  "No such file or directory"}),
    [](const testing::TestParamInfo<MovieCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

// A file without read permission, as an ordinary user (root reads every file): checked in a
// child process that becomes "nobody" when the tests run as root.
TEST(MovieFile, AFileThatCannotBeReadGivesTheReason) {
    test::TempFolder folder;
    fs::permissions(folder.path(""), fs::perms::all);
    const fs::path path = folder.path("locked.avi");
    test::WriteBytes(path, "RIFF");
    fs::permissions(path, fs::perms::owner_write);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        constexpr uid_t kNobody = 65534;
        std::string problem = "could not become nobody";
        if (::geteuid() != 0 || (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0))
            problem = MovieFileProblem(path.string());
        [[maybe_unused]] auto n = ::write(pipe[1], problem.data(), problem.size());
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string problem;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        problem.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(problem, "Permission denied");
}

} // namespace
} // namespace velkar
