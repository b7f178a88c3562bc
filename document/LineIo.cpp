#include "document/LineIo.h"

#include "document/Errors.h"
#include "document/ReadableFile.h"
#include "document/SafeWrite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace velkar {

std::vector<std::string> SplitLines(std::string_view bytes) {
    return LineStore::Split(bytes).strings();
}

std::string ReadWholeFile(const std::string& path) {
    std::uint64_t expected = 0;
    int fd = OpenRegularFile(path, expected);
    std::string bytes(expected, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size > kMaxReadBytes) {
            ::close(fd);
            ThrowTooLarge(path);
        }
        if (size == bytes.size()) // the file grew
            bytes.resize(std::min(std::max<std::size_t>(2 * size, 1 << 16), kMaxReadBytes + 1));
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

// The bytes of the file at `path` in a block the document can rewrite. A regular file is read
// straight into a block of its size (rather than mapped: mapped pages are 4 KiB each, and the
// block may sit on huge pages, which several passes over a large file read much faster);
// anything else, or a file that changes size meanwhile, is read as it comes.
LineStore::Block ReadFileBlock(const std::string& path) {
    std::uint64_t fileSize = 0;
    int fd = OpenRegularFile(path, fileSize);
    if (fileSize > 0) {
        const auto size = static_cast<std::size_t>(fileSize);
        LineStore::Block block(size);
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, block.data() + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        char extra;
        if (done == size && ::read(fd, &extra, 1) == 0) {
            ::close(fd);
            return block;
        }
    }
    ::close(fd);
    const std::string bytes = ReadWholeFile(path);
    LineStore::Block block(bytes.size());
    if (!bytes.empty())
        std::memcpy(block.data(), bytes.data(), bytes.size());
    return block;
}

} // namespace

void ReadSubtitleLines(SubtitleDocument& doc, const std::string& path) {
    LineStore::Block block = ReadFileBlock(path);
    doc.ByteOrderMark.clear();
    std::size_t skip = 0;
    if (std::string_view(block.data(), block.size()).substr(0, kUtf8ByteOrderMark.size()) ==
        kUtf8ByteOrderMark) {
        doc.ByteOrderMark = kUtf8ByteOrderMark;
        skip = kUtf8ByteOrderMark.size();
    }
    doc.SubtitleLines = LineStore::Split(std::move(block), skip);
}

std::string JoinLines(const LineStore& lines, std::string_view prefix) {
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
    SafeWriteBytes(path, bytes);
}

void WriteLinesAtomically(const std::string& path, const LineStore& lines,
                          std::string_view prefix) {
    SafeWrite(path, [&](int fd) {
        // Runs of lines that stand in memory as the file will hold them go out as they are;
        // other lines, and short runs, are gathered in one buffer first.
        std::string buffer;
        constexpr std::size_t kChunk = 1 << 18, kDirect = 1 << 14;
        buffer.reserve(kChunk + 4096);
        buffer.append(prefix);
        std::string_view run;
        for (std::size_t i = 0; i < lines.size();) {
            if (const std::size_t count = lines.CrlfRun(i, run)) {
                i += count;
                if (run.size() >= kDirect) {
                    if (!WriteAll(fd, buffer.data(), buffer.size()) ||
                        !WriteAll(fd, run.data(), run.size()))
                        return false;
                    buffer.clear();
                    continue;
                }
                buffer.append(run);
            } else {
                buffer.append(lines[i++]);
                buffer.append("\r\n");
            }
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
