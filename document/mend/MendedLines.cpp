#include "document/mend/MendedLines.h"

#include <algorithm>
#include <array>

namespace velkar::mend {

namespace {
constexpr std::size_t kAdded = static_cast<std::size_t>(-1);
} // namespace

void MendedLines::keep(std::size_t line) {
    m_out.push_back({line, {}, false});
}

void MendedLines::rewrite(std::size_t line, std::string text, MendKind kind) {
    m_out.push_back({line, std::move(text), true});
    note(kind, line);
}

void MendedLines::drop(std::size_t line, MendKind kind) {
    note(kind, line);
}

void MendedLines::dropQuietly(std::size_t) {}

void MendedLines::add(std::string text, std::size_t before, MendKind kind) {
    m_out.push_back({kAdded, std::move(text), true});
    note(kind, before);
}

void MendedLines::note(MendKind kind, std::size_t line) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [&](const MendEntry& e) { return e.kind == kind; });
    if (it == m_entries.end())
        m_entries.push_back({kind, 1, line});
    else {
        ++it->count;
        it->firstLine = std::min(it->firstLine, line);
    }
}

std::vector<MendEntry> MendedLines::entries() const {
    std::vector<MendEntry> entries = m_entries;
    std::sort(entries.begin(), entries.end(),
              [](const MendEntry& a, const MendEntry& b) { return a.kind < b.kind; });
    return entries;
}

LineStore MendedLines::result() const {
    std::vector<std::string_view> texts;
    std::vector<LineBreak> breaks;
    texts.reserve(m_out.size());
    breaks.reserve(m_out.size());
    const LineBreak usual = m_source.NewLineBreak();
    for (const Out& out : m_out) {
        texts.push_back(out.rewritten ? std::string_view(out.text) : m_source[out.source]);
        breaks.push_back(out.source == kAdded ? usual : m_source.lineBreak(out.source));
    }
    // A last line without a line end that no longer ends the file gets the usual one.
    for (std::size_t i = 0; i + 1 < breaks.size(); ++i)
        if (breaks[i] == LineBreak::None)
            breaks[i] = usual;
    return LineStore(texts, breaks);
}

std::vector<std::size_t> MendedLines::kept() const {
    std::vector<std::size_t> kept;
    kept.reserve(m_out.size());
    for (const Out& out : m_out)
        kept.push_back(out.rewritten ? kMendedLine : out.source);
    return kept;
}

std::size_t InvisiblePrefix(std::string_view line) {
    std::size_t at = 0;
    for (;;) {
        const std::string_view rest = line.substr(at);
        if (rest.size() < 3)
            return at;
        const auto b0 = static_cast<unsigned char>(rest[0]);
        const auto b1 = static_cast<unsigned char>(rest[1]);
        const auto b2 = static_cast<unsigned char>(rest[2]);
        const bool invisible = (b0 == 0xE2 && b1 == 0x80 &&
                                ((b2 >= 0x8B && b2 <= 0x8F) || (b2 >= 0xAA && b2 <= 0xAE))) ||
                               (b0 == 0xE2 && b1 == 0x81 && b2 == 0xA0) ||
                               (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF);
        if (!invisible)
            return at;
        at += 3;
    }
}

bool IsBlankLine(std::string_view line) {
    return !line.empty() && line.find_first_not_of(" \t") == std::string_view::npos;
}

bool IsForeignLine(std::string_view line) {
    if (line.starts_with("HTTP/"))
        return true;
    // A header field: a name of letters, digits and dashes, a colon, a blank.
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (line.empty() || !isLetter(line[0]))
        return false;
    std::size_t k = 1;
    while (k < line.size() &&
           (isLetter(line[k]) || (line[k] >= '0' && line[k] <= '9') || line[k] == '-'))
        ++k;
    return line.substr(k).starts_with(": ") || line.substr(k) == ":";
}

} // namespace velkar::mend
