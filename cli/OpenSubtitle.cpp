#include "cli/OpenSubtitle.h"

#include "cli/Commands.h"
#include "document/Errors.h"
#include "document/Format.h"
#include "document/LineIo.h"
#include "document/Opening.h"
#include "document/ReadableFile.h"
#include "document/Report.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <ostream>

namespace velkar::cli {

namespace {

// The bytes of `in` to its end: the whole of a file piped in.
LineStore::Block ReadStream(std::istream& in, const std::string& name) {
    std::string bytes;
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(
                std::min<std::size_t>(std::max<std::size_t>(2 * size, 1 << 16), kMaxReadBytes + 1));
        in.read(bytes.data() + size, static_cast<std::streamsize>(bytes.size() - size));
        size += static_cast<std::size_t>(in.gcount());
        if (size > kMaxReadBytes)
            ThrowTooLarge(name);
        if (in.eof())
            break;
        if (!in)
            throw FileOpenError(name);
    }
    LineStore::Block block(size);
    if (size > 0)
        std::memcpy(block.data(), bytes.data(), size);
    return block;
}

} // namespace

void ReadInput(SubtitleDocument& doc, const std::string& path, std::istream& in) {
    if (path != kStandardStream) {
        ReadDocument(doc, path);
        return;
    }
    LineStore::Block block = ReadStream(in, path);
    doc.Reset(path);
    ReadSubtitleBytes(doc, std::move(block));
}

void OpenSubtitle(SubtitleDocument& doc, const std::string& path, SubtitleTextsWanted texts,
                  std::string* mended) {
    OpenSubtitle(doc, path, std::cin, texts, mended);
}

void OpenSubtitle(SubtitleDocument& doc, const std::string& path, std::istream& in,
                  SubtitleTextsWanted texts, std::string* mended) {
    NoProgress progress;
    ReadInput(doc, path, in);
    if (doc.SubtitleLines.empty())
        throw VelkarError("The Subtitle file holds no subtitles");
    Recognise(doc, progress);
    if (mended)
        mended->clear();
    if (!HasTimingTable(doc.SubtitleFormat)) {
        const Mending mending = MendLines(doc.SubtitleLines);
        std::string message = doc.SubtitleFormat == sfDamaged
                                  ? DamagedFileMessage(doc)
                                  : "The Subtitle file you selected is not supported by Velkar";
        if (!mending.mended())
            throw VelkarError(message);
        if (!mended)
            throw VelkarError(message + " (velkar-cli mend can mend it)");
        ApplyMending(doc, mending, progress);
        *mended = MendList(mending);
    }
    FinishOpen(doc, progress, nullptr, texts);
}

void PrintMended(std::ostream& out, const std::string& list) {
    if (!list.empty())
        out << "mended:\n" << ForTerminal(list) << '\n';
}

void AddMendFlag(CLI::App& command, bool& mend) {
    command.add_flag("--mend", mend,
                     "Mend the common faults of a file that does not open as it is first, and "
                     "say what was changed (see the mend command)");
}

const char* JsonFormatName(SubtitleFormat format) {
    if (const FormatEntry* entry = FindFormat(format))
        return entry->jsonName.data();
    switch (format) {
    case sfDamaged:
        return "Damaged";
    default:
        return "Unknown";
    }
}

bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    if (a == kStandardStream || b == kStandardStream)
        return false;
    std::error_code ec;
    if (fs::exists(b, ec) && fs::equivalent(a, b, ec))
        return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

} // namespace velkar::cli
