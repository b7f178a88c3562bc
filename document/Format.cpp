#include "document/Format.h"

#include <limits>

#include "document/formats/FormatParts.h"

#include <array>

namespace velkar {

namespace {

// The one table of formats, in the order recognition tries them.
constexpr std::array<const FormatEntry*, 6> kRecognitionOrder = {
    &kMicroDVDFormat, &kSubViewer2Format, &kSubRipFormat,
    &kMPL2Format,     &kWebVTTFormat,     &kASSFormat, // ASS also tells SSA
};

} // namespace

const FormatEntry* FindFormat(SubtitleFormat format) {
    switch (format) {
    case sfMicroDVD:
        return &kMicroDVDFormat;
    case sfSubRip:
        return &kSubRipFormat;
    case sfSubViewer2:
        return &kSubViewer2Format;
    case sfMPL2:
        return &kMPL2Format;
    case sfWebVTT:
        return &kWebVTTFormat;
    case sfASS:
        return &kASSFormat;
    case sfSSA:
        return &kSSAFormat;
    default:
        return nullptr;
    }
}

std::span<const FormatEntry* const> RecognitionOrder() {
    return kRecognitionOrder;
}

bool TakesNulBytes(std::string_view text) {
    for (const FormatEntry* entry : kRecognitionOrder)
        if (entry->takesNulBytes && entry->takesNulBytes(text))
            return true;
    return false;
}

const FormatEntry& FormatOfRecord(ErrorRecord record) {
    for (const FormatEntry* entry : kRecognitionOrder)
        if (entry->record == record)
            return *entry;
    return kSubRipFormat;
}

std::int64_t RoundToUnit(std::int64_t value, std::int64_t unit) {
    if (unit <= 1)
        return value;
    std::int64_t q = value / unit;
    std::int64_t r = value % unit;
    if (r < 0) {
        r += unit;
        --q;
    }
    if (2 * r > unit || (2 * r == unit && q % 2 != 0))
        ++q;
    return q * unit;
}

std::string ListText(SubtitleFormat format, std::string_view stored) {
    const FormatEntry* entry = FindFormat(format);
    if (!entry)
        return std::string(stored);
    std::string shown;
    entry->appendScreenText(shown, stored);
    std::string line;
    line.reserve(shown.size());
    for (std::size_t k = 0; k < shown.size(); ++k) {
        if (shown[k] == '\n' && k + 1 < shown.size() && shown[k + 1] == '\r') {
            line += " | ";
            ++k;
        } else {
            line += shown[k];
        }
    }
    return line;
}

void AppendEachLine(std::string& out, std::string_view stored, std::string_view marker,
                    void (*line)(std::string& out, std::string_view text)) {
    for (bool first = true;; first = false) {
        const std::size_t found = stored.find(marker);
        if (!first)
            out.append("\n\r");
        line(out, stored.substr(0, found));
        if (found == std::string_view::npos)
            return;
        stored.remove_prefix(found + marker.size());
    }
}

void AppendWithBreaks(std::string& out, std::string_view text, std::string_view marker) {
    AppendEachLine(out, text, marker,
                   [](std::string& to, std::string_view piece) { to.append(piece); });
}

bool RoundsWithinLimit(TimeValue value, std::int32_t unit) {
    if (value < -kMaxTimeValue || value > kMaxTimeValue)
        return false;
    const TimeValue rounded = RoundToUnit(value, unit);
    return rounded >= -kMaxTimeValue && rounded <= kMaxTimeValue;
}

long long OwnLine(const SubtitleDocument& doc, std::size_t i) {
    return doc.SubtitleLineIndex[i];
}

bool RestIsEmpty(const LineStore& lines, std::size_t from) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (!lines[i].empty())
            return false;
    return true;
}

void ReplaceInLine(LineStore& lines, std::size_t index, std::size_t at, std::size_t size,
                   std::string_view text) {
    const std::string_view line = lines[index];
    if (at == 0) {
        if (size == text.size() && line.substr(0, size) == text)
            return;
        lines.replace(index, size, text);
        return;
    }
    if (size == text.size()) {
        // A field rewritten at its own width, the usual case: in place. (Compared byte by byte:
        // `text` was just written a byte at a time, which a library compare reading it in wide
        // words would wait for.)
        for (std::size_t k = 0; k < size; ++k)
            if (line[at + k] != text[k]) {
                lines.overwrite(index, at, text);
                return;
            }
        return;
    }
    std::string changed;
    changed.reserve(line.size() - size + text.size());
    changed.append(line.substr(0, at)).append(text).append(line.substr(at + size));
    lines.set(index, changed);
}

} // namespace velkar

namespace velkar {

std::string PaddedNumber(long long value, std::size_t width) {
    std::string digits = std::to_string(value < 0 ? -static_cast<unsigned long long>(value)
                                                  : static_cast<unsigned long long>(value));
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return (value < 0 ? "-" : "") + digits;
}

} // namespace velkar
