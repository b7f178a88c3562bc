#include "document/LineIo.h"

#include "document/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace velkar {

std::vector<std::string> SplitLines(std::string_view bytes) {
    if (auto nul = bytes.find('\0'); nul != std::string_view::npos)
        bytes = bytes.substr(0, nul);
    std::vector<std::string> lines;
    // A typical subtitle line is some 20 to 40 bytes; reserving avoids most regrowth.
    lines.reserve(bytes.size() / 24 + 1);
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\r' && *q != '\n')
            ++q;
        lines.emplace_back(p, q);
        if (q < end && *q == '\r' && q + 1 < end && q[1] == '\n')
            q += 2;
        else if (q < end)
            ++q;
        p = q;
    }
    return lines;
}

std::string ReadWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileOpenError(path);
    struct stat st {};
    std::string bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            throw FileOpenError(path);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void ReadSubtitleLines(SubtitleDocument& doc, const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    std::string_view view = bytes;
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

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    namespace fs = std::filesystem;
    fs::path target(path);
    fs::path folder = target.parent_path();
    std::string pattern =
        (folder.empty() ? fs::path(".") : folder) / ("." + target.filename().string() + ".XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw FileCreateError(path);
    const std::string temporary(name.data());

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
    bool ok = ::fchmod(fd, mode) == 0;
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (ok && left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw FileCreateError(path);
    }
}

void WriteSubtitleLines(const SubtitleDocument& doc, const std::string& path) {
    WriteFileAtomically(path, JoinLines(doc.SubtitleLines, doc.ByteOrderMark));
}

} // namespace velkar
