#include "document/ReadableFile.h"

#include "document/Errors.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace velkar {

namespace {

// Why a file of this type is not read, or empty for a regular file.
std::string Refusal(mode_t mode) {
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return std::generic_category().message(EISDIR);
    return "Not a regular file";
}

} // namespace

void ThrowTooLarge(const std::string& path) {
    throw FileOpenError(path, "The file is larger than 256 MiB");
}

int OpenRegularFile(const std::string& path, std::uint64_t& size) {
    // Looked at before opening, so that no device is opened at all; looked at again after, in
    // case something else was put there meanwhile. O_NONBLOCK: opening a pipe never waits.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !Refusal(st.st_mode).empty())
        throw FileOpenError(path, Refusal(st.st_mode));
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw FileOpenError(path);
    if (::fstat(fd, &st) != 0 || !Refusal(st.st_mode).empty()) {
        const std::string reason = Refusal(st.st_mode);
        ::close(fd);
        throw FileOpenError(path, reason);
    }
    size = static_cast<std::uint64_t>(st.st_size);
    if (size > kMaxReadBytes) {
        ::close(fd);
        ThrowTooLarge(path);
    }
    return fd;
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace velkar
