#include "cli/RawFile.h"

namespace velkar::test {

namespace {

// Bytes per code unit and whether the high byte comes first, for a file starting with `mark`.
int UnitSize(std::string_view mark) {
    return mark == "\xFF\xFE" || mark == "\xFE\xFF" ? 2 : 1;
}

std::string MarkOf(std::string_view bytes) {
    for (std::string_view mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"})
        if (bytes.substr(0, mark.size()) == mark)
            return std::string(mark);
    return {};
}

// The code unit at `unit` bytes from `p`.
unsigned UnitAt(std::string_view p, int unit, bool bigEndian) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(p[i]); };
    if (unit == 1)
        return b(0);
    return bigEndian ? (b(0) << 8u) | b(1) : (b(1) << 8u) | b(0);
}

} // namespace

RawFile SplitRawFile(std::string_view bytes) {
    RawFile file;
    file.mark = MarkOf(bytes);
    const int unit = UnitSize(file.mark);
    const bool bigEndian = file.mark == "\xFE\xFF";
    bytes.remove_prefix(file.mark.size());
    RawLine line;
    bool open = false;
    for (std::size_t i = 0; i + unit <= bytes.size(); i += unit) {
        const unsigned c = UnitAt(bytes.substr(i), unit, bigEndian);
        if (c == '\r' || c == '\n') {
            line.end = std::string(bytes.substr(i, unit));
            if (c == '\r' && i + 2 * unit <= bytes.size() &&
                UnitAt(bytes.substr(i + unit), unit, bigEndian) == '\n') {
                line.end += bytes.substr(i + unit, unit);
                i += unit;
            }
            file.lines.push_back(std::move(line));
            line = {};
            open = false;
        } else {
            line.bytes += bytes.substr(i, unit);
            open = true;
        }
    }
    if (open)
        file.lines.push_back(std::move(line));
    return file;
}

std::string RawFile::ascii(std::size_t i) const {
    const int unit = UnitSize(mark);
    const bool bigEndian = mark == "\xFE\xFF";
    std::string text;
    const std::string& bytes = lines[i].bytes;
    for (std::size_t k = 0; k + unit <= bytes.size(); k += unit) {
        const unsigned c = UnitAt(std::string_view(bytes).substr(k), unit, bigEndian);
        text += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return text;
}

} // namespace velkar::test
