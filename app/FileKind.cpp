#include "app/FileKind.h"

#include "document/Detection.h"
#include "document/Format.h"
#include "document/LineIo.h"
#include "document/Parsing.h"
#include "document/Unicode.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace velkar {

namespace {

bool HasSubtitleExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == "srt" || extension == "sub" || extension == "txt" || extension == "mpl2" ||
           extension == "vtt" || extension == "ass" || extension == "ssa";
}

// The first `limit` bytes of a regular file; empty for anything else or on a failure.
std::string ReadHead(const std::string& path, std::size_t limit) {
    // O_NONBLOCK: a FIFO must not stall the window while it is being told apart.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    std::string bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        bytes.resize(limit);
        std::size_t size = 0;
        while (size < limit) {
            const ssize_t n = ::read(fd, bytes.data() + size, limit - size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            size += std::size_t(n);
        }
        bytes.resize(size);
    }
    ::close(fd);
    return bytes;
}

// The UTF-8 form of a head that starts with a UTF-16 byte-order mark (its text is recognised
// like any other); other heads as they are. A head cut short loses a last half character.
std::string TextOfHead(std::string head, bool cut) {
    for (std::string_view mark : {kUtf16LeByteOrderMark, kUtf16BeByteOrderMark}) {
        if (std::string_view(head).substr(0, mark.size()) != mark)
            continue;
        const bool bigEndian = mark == kUtf16BeByteOrderMark;
        std::string_view units = std::string_view(head).substr(mark.size());
        if (cut) {
            units = units.substr(0, units.size() & ~std::size_t(1));
            if (units.size() >= 2) {
                const unsigned char high = static_cast<unsigned char>(
                    bigEndian ? units[units.size() - 2] : units[units.size() - 1]);
                if (high >= 0xD8 && high <= 0xDB) // the first half of a surrogate pair
                    units.remove_suffix(2);
            }
        }
        return Utf16ToUtf8(units, bigEndian);
    }
    return head;
}

bool LooksLikeSubtitles(std::string raw) {
    const bool cut = raw.size() == kSubtitleSniffBytes;
    std::string head = TextOfHead(std::move(raw), cut);
    if (cut) {
        // The last line may be cut short; only whole lines are recognised.
        const std::size_t lastBreak = head.find_last_of("\r\n");
        if (lastBreak == std::string::npos)
            return false;
        head.resize(lastBreak + 1);
    }
    // NUL bytes may only pad the end of a text (but in a format that takes them as characters);
    // a movie has them anywhere.
    const std::size_t textEnd = head.find_last_not_of('\0');
    head.resize(textEnd == std::string::npos ? 0 : textEnd + 1);
    std::string_view text = head;
    if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark)
        text.remove_prefix(kUtf8ByteOrderMark.size());
    const bool nulIsText = text.find('\0') != std::string_view::npos;
    if (nulIsText && !TakesNulBytes(text))
        return false;
    SubtitleDocument doc;
    LineStore::Block block(text.size());
    if (!text.empty())
        std::memcpy(block.data(), text.data(), text.size());
    doc.SubtitleLines = LineStore::Split(std::move(block), 0, nulIsText);
    if (doc.SubtitleLines.empty())
        return false;
    NoProgress progress;
    doc.SubtitleFormat = DetectFormat(doc, progress).format;
    // A damaged file is a subtitle file with a fault, which opening offers to repair.
    if (doc.SubtitleFormat == sfDamaged)
        return true;
    if (!HasTimingTable(doc.SubtitleFormat))
        return false;
    // Any text passes the SubRip check; a subtitle file has at least one subtitle.
    try {
        ParseSubtitles(doc, progress, nullptr, SubtitleTextsWanted::No);
    } catch (const std::exception&) {
        // The parse met a time line and tripped over the head's cut-off last subtitle.
        return true;
    }
    return doc.SubtitleCount > 0;
}

} // namespace

bool IsSubtitleFile(const std::string& path) {
    if (HasSubtitleExtension(path))
        return true;
    try {
        return LooksLikeSubtitles(ReadHead(path, kSubtitleSniffBytes));
    } catch (const std::exception&) {
        // A head that the checks cannot take is no subtitle file.
        return false;
    }
}

HandedFiles SortHandedFiles(const std::vector<std::string>& paths) {
    HandedFiles files;
    if (paths.size() == 2 && IsSubtitleFile(paths[0]) == IsSubtitleFile(paths[1]))
        return {paths[0], paths[1]};
    for (const std::string& path : paths) {
        std::string& slot = IsSubtitleFile(path) ? files.subtitle : files.movie;
        if (slot.empty())
            slot = path;
    }
    return files;
}

} // namespace velkar
