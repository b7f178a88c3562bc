#include "document/LineIo.h"

#include "document/Errors.h"
#include "document/Format.h"
#include "document/ReadableFile.h"
#include "document/SafeWrite.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <ostream>
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

std::size_t UnpaddedSize(std::string_view bytes) {
    const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
    if (!nul)
        return bytes.size();
    const auto size = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data());
    if (bytes.find_first_not_of('\0', size) != std::string_view::npos)
        throw NulBytesError();
    return size;
}

namespace {

// The size of `text` without the NUL bytes that pad its end. NUL bytes inside are refused
// (NulBytesError) unless the text's format takes them as characters; `nulIsText` tells.
std::size_t TextSize(std::string_view text, bool& nulIsText) {
    nulIsText = false;
    const void* nul = text.empty() ? nullptr : std::memchr(text.data(), '\0', text.size());
    if (!nul)
        return text.size();
    const auto first = static_cast<std::size_t>(static_cast<const char*>(nul) - text.data());
    if (text.find_first_not_of('\0', first) == std::string_view::npos)
        return first;
    if (!TakesNulBytes(text))
        throw NulBytesError();
    nulIsText = true;
    return text.find_last_not_of('\0') + 1;
}

} // namespace

bool IsUtf16Mark(std::string_view mark, bool* bigEndian) {
    if (bigEndian)
        *bigEndian = mark == kUtf16BeByteOrderMark;
    return mark == kUtf16LeByteOrderMark || mark == kUtf16BeByteOrderMark;
}

void ReadSubtitleLines(SubtitleDocument& doc, const std::string& path) {
    ReadSubtitleBytes(doc, ReadFileBlock(path));
}

void ReadSubtitleBytes(SubtitleDocument& doc, LineStore::Block block) {
    const std::string_view bytes(block.data(), block.size());
    doc.ByteOrderMark.clear();
    for (std::string_view mark : {kUtf16LeByteOrderMark, kUtf16BeByteOrderMark})
        if (bytes.substr(0, mark.size()) == mark) {
            const std::string text =
                Utf16ToUtf8(bytes.substr(mark.size()), mark == kUtf16BeByteOrderMark);
            bool nulIsText = false;
            LineStore::Block utf8(TextSize(text, nulIsText));
            if (utf8.size() != 0)
                std::memcpy(utf8.data(), text.data(), utf8.size());
            doc.ByteOrderMark = mark;
            doc.SubtitleLines = LineStore::Split(std::move(utf8), 0, nulIsText);
            return;
        }
    std::size_t skip = 0;
    if (bytes.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark) {
        doc.ByteOrderMark = kUtf8ByteOrderMark;
        skip = kUtf8ByteOrderMark.size();
    }
    bool nulIsText = false;
    TextSize(bytes.substr(skip), nulIsText);
    doc.SubtitleLines = LineStore::Split(std::move(block), skip, nulIsText);
}

std::string JoinLines(const LineStore& lines, std::string_view prefix) {
    std::size_t size = prefix.size();
    for (std::size_t i = 0; i < lines.size(); ++i)
        size += lines[i].size() + LineBreakBytes(lines.lineBreak(i)).size();
    std::string bytes;
    bytes.reserve(size);
    bytes.append(prefix);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bytes.append(lines[i]);
        bytes.append(LineBreakBytes(lines.lineBreak(i)));
    }
    return bytes;
}

std::string SubtitleFileBytes(const SubtitleDocument& doc) {
    bool bigEndian = false;
    if (IsUtf16Mark(doc.ByteOrderMark, &bigEndian))
        return doc.ByteOrderMark + Utf8ToUtf16(JoinLines(doc.SubtitleLines), bigEndian);
    return JoinLines(doc.SubtitleLines, doc.ByteOrderMark);
}

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    SafeWriteBytes(path, bytes);
}

bool PutFileBytes(const LineStore& lines, std::string_view prefix,
                  const std::function<bool(std::string_view)>& put) {
    // Runs of lines that stand in memory as the file will hold them go out as they are; other
    // lines, and short runs, are gathered in one buffer first.
    std::string buffer;
    constexpr std::size_t kChunk = 1 << 18, kDirect = 1 << 14;
    buffer.reserve(std::min(kChunk + 4096, prefix.size() + 4096));
    buffer.append(prefix);
    std::string_view run;
    for (std::size_t i = 0; i < lines.size();) {
        if (const std::size_t count = lines.StoredRun(i, run)) {
            i += count;
            if (run.size() >= kDirect) {
                if ((!buffer.empty() && !put(buffer)) || !put(run))
                    return false;
                buffer.clear();
                continue;
            }
            buffer.append(run);
        } else {
            buffer.append(lines[i]);
            buffer.append(LineBreakBytes(lines.lineBreak(i)));
            ++i;
        }
        if (buffer.size() >= kChunk) {
            if (!put(buffer))
                return false;
            buffer.clear();
        }
    }
    return buffer.empty() || put(buffer);
}

void WriteLinesAtomically(const std::string& path, const LineStore& lines,
                          std::string_view prefix) {
    SafeWrite(path, [&](int fd) {
        return PutFileBytes(lines, prefix, [fd](std::string_view bytes) {
            return WriteAll(fd, bytes.data(), bytes.size());
        });
    });
}

void WriteSubtitleLines(const SubtitleDocument& doc, const std::string& path) {
    // Lines held as UTF-8 for a UTF-16 file are converted as a whole; any other document's lines
    // go out from where they stand.
    if (IsUtf16Mark(doc.ByteOrderMark))
        WriteFileAtomically(path, SubtitleFileBytes(doc));
    else
        WriteLinesAtomically(path, doc.SubtitleLines, doc.ByteOrderMark);
}

void WriteSubtitleLines(const SubtitleDocument& doc, std::ostream& out) {
    if (IsUtf16Mark(doc.ByteOrderMark)) {
        const std::string bytes = SubtitleFileBytes(doc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return;
    }
    PutFileBytes(doc.SubtitleLines, doc.ByteOrderMark, [&out](std::string_view bytes) {
        return static_cast<bool>(
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
    });
}

} // namespace velkar
