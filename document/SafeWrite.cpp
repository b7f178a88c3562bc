#include "document/SafeWrite.h"

#include "document/Errors.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace velkar {

namespace {

std::string Reason(int error) {
    return std::generic_category().message(error);
}

// A file descriptor closed when it goes.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd) {
        close();
        m_fd = fd;
    }
    // Closes now; false (errno set) when closing reports an error, as a late write error.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int m_fd;
};

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file `path` names once symbolic links are followed (a link may name a file that does
// not exist yet). Throws FileCreateError naming `path` for a loop of links.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        std::string target(static_cast<std::size_t>(st.st_size) + 256, '\0');
        const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n < 0 || static_cast<std::size_t>(n) >= target.size())
            return current; // changed under us; the checks that follow look at it again
        target.resize(static_cast<std::size_t>(n));
        current =
            !target.empty() && target.front() == '/' ? target : FolderOf(current) + "/" + target;
    }
    throw FileCreateError(path, Reason(ELOOP));
}

std::string TemporaryName() {
    // One generator a thread: saves may run side by side (a batch of films).
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name = std::string(kSaveTemporaryPrefix) + std::to_string(::getpid()) + "-";
    for (int i = 0; i < 8; ++i)
        name += kLetters[random() % (sizeof kLetters - 1)];
    return name;
}

// Removes the hidden files that saves into `folder` left behind when their process was killed
// half-way: named as ours, a regular file, and its process (the number in the name) gone.
void RemoveStrays(int folder) {
    const int listing = ::dup(folder);
    if (listing < 0)
        return;
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.substr(0, kSaveTemporaryPrefix.size()) != kSaveTemporaryPrefix)
            continue;
        const std::string rest(name.substr(kSaveTemporaryPrefix.size()));
        char* end = nullptr;
        const long pid = std::strtol(rest.c_str(), &end, 10);
        if (pid <= 0 || *end != '-' || pid == ::getpid())
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue; // still running (or not ours to ask): maybe a save in progress
        struct stat st {};
        if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
            ::unlinkat(folder, entry->d_name, 0);
    }
    ::closedir(dir);
}

mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// What the message adds when the old file is gone: a rewrite in place failed half-way.
constexpr const char* kOldFileLost =
    "The old file could not be kept: the folder takes no new file, so the file was being "
    "rewritten where it stands, and it now holds only part of the new text. Save it again "
    "once there is room, or save it elsewhere with Save As.";

// Makes room for `size` bytes in the regular file `fd` of `oldSize` bytes without changing a
// byte the file shows: space reserved past its end where the file system can, else zeros written
// after its end (cut off again on a failure). False (errno set) when the room is not there.
bool Reserve(int fd, off_t oldSize, off_t size) {
    if (size == 0)
        return true;
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0)
        return true;
    if (errno != EOPNOTSUPP && errno != ENOSYS) {
        const int error = errno;
        ::ftruncate(fd, oldSize); // gives back what a half-done reservation took past the end
        errno = error;
        return false;
    }
    static const char zeros[1 << 16] = {};
    for (off_t at = oldSize; at < size;) {
        const std::size_t count =
            static_cast<std::size_t>(std::min<off_t>(size - at, static_cast<off_t>(sizeof zeros)));
        const ssize_t n = ::pwrite(fd, zeros, count, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::ftruncate(fd, oldSize);
            errno = error;
            return false;
        }
        at += n;
    }
    return true;
}

// Copies the `size` bytes of `from` to the start of `to`. False (errno set) on an error.
bool CopyBytes(int from, int to, off_t size) {
    std::vector<char> buffer(static_cast<std::size_t>(std::min<off_t>(size, 1 << 20)));
    for (off_t at = 0; at < size;) {
        const ssize_t n = ::pread(from, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n < 0 ? errno : EIO;
            return false;
        }
        if (::lseek(to, at, SEEK_SET) != at ||
            !WriteAll(to, buffer.data(), static_cast<std::size_t>(n)))
            return false;
        at += n;
    }
    return true;
}

// Rewrites the regular file `target` where it stands. The new bytes are made in memory first and
// the room for them is reserved, so that every failure that can be foreseen (no room on the disk
// or in the quota, a file size limit, a failing `fill`) leaves the old file whole; only then are
// they written over the old ones and the file cut to their length. Throws FileCreateError naming
// `path`, with kOldFileLost on its second line when the writing failed after the first byte.
void RewriteInPlace(const std::string& path, const std::string& target,
                    const std::function<bool(int)>& fill) {
    Descriptor fd(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        throw FileCreateError(path, Reason(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        throw FileCreateError(path, "Not a regular file");
    Descriptor bytes(::memfd_create("velkar-save", MFD_CLOEXEC));
    if (bytes.get() < 0)
        throw FileCreateError(path, Reason(errno));
    errno = EIO;
    if (!fill(bytes.get()))
        throw FileCreateError(path, Reason(errno ? errno : EIO));
    const off_t size = ::lseek(bytes.get(), 0, SEEK_END);
    if (size < 0)
        throw FileCreateError(path, Reason(errno));
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        static_cast<rlim_t>(size) > limit.rlim_cur)
        throw FileCreateError(path, Reason(EFBIG));
    if (!Reserve(fd.get(), st.st_size, size))
        throw FileCreateError(path, Reason(errno));
    errno = EIO;
    if (!CopyBytes(bytes.get(), fd.get(), size) || ::ftruncate(fd.get(), size) != 0 ||
        ::fsync(fd.get()) != 0 || !fd.close())
        throw FileCreateError(path, Reason(errno ? errno : EIO), kOldFileLost);
}

// Outcome of one try at writing through a new file.
enum class Attempt { Done, InPlace, Named };

Attempt WriteThroughNewFile(const std::string& path, const std::string& target, int folder,
                            const struct stat* old, const std::function<bool(int)>& fill,
                            SaveTemporary temporary) {
    std::string name; // the new file's name in `folder`, once it has one
    Descriptor fd;
    if (temporary == SaveTemporary::Anonymous)
        fd.reset(::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
        for (int tries = 0; tries < 100 && fd.get() < 0; ++tries) {
            name = TemporaryName();
            fd.reset(::openat(folder, name.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (fd.get() < 0 && errno != EEXIST)
                break;
        }
        if (fd.get() < 0) {
            const int error = errno;
            if (old && (error == EACCES || error == EPERM))
                return Attempt::InPlace; // the folder takes no new file; the target is writable
            throw FileCreateError(path, Reason(error));
        }
    }
    // Whatever goes wrong from here removes the named file again.
    struct Cleanup {
        int folder;
        std::string* name;
        ~Cleanup() {
            if (!name->empty())
                ::unlinkat(folder, name->c_str(), 0);
        }
    } cleanup{folder, &name};

    // The new file is ours, in our group or the folder's (a setgid folder): it takes the old
    // file's owner and group, or a rename would hand the file to someone else.
    struct stat made {};
    if (old &&
        (::fstat(fd.get(), &made) != 0 || made.st_uid != old->st_uid ||
         made.st_gid != old->st_gid) &&
        ::fchown(fd.get(), old->st_uid, old->st_gid) != 0)
        return Attempt::InPlace;
    errno = EIO;
    if (::fchmod(fd.get(), old ? old->st_mode & 07777 : NewFileMode()) != 0 || !fill(fd.get()) ||
        ::fsync(fd.get()) != 0)
        throw FileCreateError(path, Reason(errno ? errno : EIO));
    if (name.empty()) {
        // Give the anonymous file a name, so that it can replace the target.
        const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
        for (int tries = 0; tries < 100 && name.empty(); ++tries) {
            std::string candidate = TemporaryName();
            if (::linkat(AT_FDCWD, self.c_str(), folder, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0)
                name = std::move(candidate);
            else if (errno != EEXIST)
                return Attempt::Named; // no /proc: write it again through a named file
        }
        if (name.empty())
            return Attempt::Named;
    }
    if (!fd.close())
        throw FileCreateError(path, Reason(errno));
    if (::renameat(folder, name.c_str(), folder, NameOf(target).c_str()) != 0)
        throw FileCreateError(path, Reason(errno));
    name.clear(); // it is the target now
    ::fsync(folder);
    return Attempt::Done;
}

} // namespace

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0) {
            errno = EIO;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void SafeWrite(const std::string& path, const std::function<bool(int fd)>& fill,
               SaveTemporary temporary) {
    const std::string target = FollowLinks(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        if (S_ISDIR(old.st_mode))
            throw FileCreateError(path, Reason(EISDIR));
        if (!S_ISREG(old.st_mode))
            throw FileCreateError(path, "Not a regular file");
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            throw FileCreateError(path, Reason(errno));
    } else if (errno != ENOENT) {
        throw FileCreateError(path, Reason(errno));
    }
    Descriptor folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0)
        throw FileCreateError(path, Reason(errno));
    RemoveStrays(folder.get());

    Attempt attempt =
        WriteThroughNewFile(path, target, folder.get(), exists ? &old : nullptr, fill, temporary);
    if (attempt == Attempt::Named)
        attempt = WriteThroughNewFile(path, target, folder.get(), exists ? &old : nullptr, fill,
                                      SaveTemporary::Named);
    if (attempt == Attempt::InPlace)
        RewriteInPlace(path, target, fill);
}

void SafeWriteBytes(const std::string& path, std::string_view bytes) {
    SafeWrite(path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); });
}

} // namespace velkar
