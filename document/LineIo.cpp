#include "document/LineIo.h"

#include "document/Errors.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkar {

namespace {

// Asks the kernel to back a large block with huge pages: a 65,535-subtitle document's line
// table then takes a handful of page faults instead of thousands. Only advice; nothing changes
// when the kernel declines.
void AdviseHugePages(void* data, std::size_t size) {
    constexpr std::uintptr_t kHugePage = 2u << 20;
    if (size < 2 * kHugePage)
        return;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

} // namespace

std::vector<std::string> SplitLines(std::string_view bytes) {
    if (const void* nul = std::memchr(bytes.data(), '\0', bytes.size()))
        bytes = bytes.substr(0, static_cast<const char*>(nul) - bytes.data());
    std::vector<std::string> lines;
    // A typical subtitle line is some 15 to 40 bytes; reserving avoids most regrowth.
    lines.reserve(bytes.size() / 16 + 1);
    AdviseHugePages(lines.data(), lines.capacity() * sizeof(std::string));
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    const char* lf = nullptr;
    bool lfKnown = false; // lf is the next LF at or after p, or null when there is none
    while (p < end) {
        // The next LF, then any lone CR before it: both scans run at memory speed, and the LF
        // found is kept while lone CRs split the text before it.
        if (!lfKnown || (lf && lf < p)) {
            lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
            lfKnown = true;
        }
        const char* stop = lf ? lf : end;
        const char* cr = static_cast<const char*>(std::memchr(p, '\r', stop - p));
        if (cr && cr + 1 < stop) {
            lines.emplace_back(p, cr); // a lone CR ends this line
            p = cr + 1;
            continue;
        }
        lines.emplace_back(p, cr ? cr : stop);
        p = lf ? lf + 1 : (cr ? cr + 1 : end);
    }
    return lines;
}

std::string ReadWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileOpenError(path);
    struct stat st {};
    std::string bytes;
    std::size_t size = 0;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.resize(static_cast<std::size_t>(st.st_size));
    for (;;) {
        if (size == bytes.size())
            bytes.resize(std::max<std::size_t>(2 * size, 1 << 16)); // the file grew, or a pipe
        ssize_t n = ::read(fd, bytes.data() + size, bytes.size() - size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            throw FileOpenError(path);
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(size);
    return bytes;
}

namespace {

// A regular file mapped into memory read-only (pages filled in one go), or nothing when the
// file cannot be mapped (empty, a pipe, a device): then the caller reads it.
class MappedFile {
  public:
    explicit MappedFile(const std::string& path) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            throw FileOpenError(path);
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
            void* p = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ,
                             MAP_PRIVATE | MAP_POPULATE, fd, 0);
            if (p != MAP_FAILED) {
                m_data = static_cast<const char*>(p);
                m_size = static_cast<std::size_t>(st.st_size);
            }
        }
        ::close(fd);
    }
    ~MappedFile() {
        if (m_data)
            ::munmap(const_cast<char*>(m_data), m_size);
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool mapped() const { return m_data != nullptr; }
    std::string_view bytes() const { return {m_data, m_size}; }

  private:
    const char* m_data = nullptr;
    std::size_t m_size = 0;
};

} // namespace

void ReadSubtitleLines(SubtitleDocument& doc, const std::string& path) {
    MappedFile mapped(path);
    std::string read;
    std::string_view view;
    if (mapped.mapped()) {
        view = mapped.bytes();
    } else {
        read = ReadWholeFile(path);
        view = read;
    }
    doc.ByteOrderMark.clear();
    if (view.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        doc.ByteOrderMark = kUtf8ByteOrderMark;
        view.remove_prefix(kUtf8ByteOrderMark.size());
    }
    doc.SubtitleLines = SplitLines(view);
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view prefix) {
    std::size_t size = prefix.size();
    for (const auto& line : lines)
        size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    bytes.append(prefix);
    for (const auto& line : lines) {
        bytes.append(line);
        bytes.append("\r\n");
    }
    return bytes;
}

namespace {

// Writes all of `bytes` to `fd`; false on an error.
bool WriteAll(int fd, const char* p, std::size_t left) {
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Creates a temporary file beside `path`, lets `fill` write into it, and renames it over
// `path`. Throws FileCreateError (and removes the temporary file) on any failure.
template <typename Fill> void ReplaceFile(const std::string& path, Fill fill) {
    namespace fs = std::filesystem;
    fs::path target(path);
    fs::path folder = target.parent_path();
    std::string pattern =
        (folder.empty() ? fs::path(".") : folder) / ("." + target.filename().string() + ".XXXXXX");
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        throw FileCreateError(path);

    // mkstemp makes the file private; give it the mode an ordinary new file would have, or the
    // mode of the file it replaces.
    struct stat st {};
    mode_t mode;
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0 && fill(fd);
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(pattern.c_str(), path.c_str()) != 0) {
        ::unlink(pattern.c_str());
        throw FileCreateError(path);
    }
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    ReplaceFile(path, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); });
}

void WriteLinesAtomically(const std::string& path, const std::vector<std::string>& lines,
                          std::string_view prefix) {
    ReplaceFile(path, [&](int fd) {
        // Lines go out through one buffer, so a large document needs no second copy.
        std::string buffer;
        constexpr std::size_t kChunk = 1 << 18;
        buffer.reserve(kChunk + 4096);
        buffer.append(prefix);
        for (const auto& line : lines) {
            buffer.append(line);
            buffer.append("\r\n");
            if (buffer.size() >= kChunk) {
                if (!WriteAll(fd, buffer.data(), buffer.size()))
                    return false;
                buffer.clear();
            }
        }
        return WriteAll(fd, buffer.data(), buffer.size());
    });
}

void WriteSubtitleLines(const SubtitleDocument& doc, const std::string& path) {
    WriteLinesAtomically(path, doc.SubtitleLines, doc.ByteOrderMark);
}

} // namespace velkar
