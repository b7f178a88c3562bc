#include "playback/MovieFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkar {

std::string MovieFileProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::strerror(errno);
    if (!S_ISREG(info.st_mode))
        return "it is not a regular file (a pipe, a device or a folder cannot be played)";
    // Only a regular file gets here, so the open cannot wait; O_NONBLOCK guards against the
    // path being swapped for a FIFO meanwhile.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    return {};
}

} // namespace velkar
