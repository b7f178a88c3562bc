#include "document/TimeCode.h"

#include "document/Errors.h"
#include "document/Format.h"
#include "document/IntegerConversion.h"
#include "document/formats/ClockText.h"

namespace velkar {

std::string_view Copy(std::string_view text, std::size_t first, std::size_t count) {
    if (first < 1 || first > text.size())
        return {};
    return text.substr(first - 1, count);
}

bool CanEncode(SubtitleFormat format, TimeValue value) {
    if (const FormatEntry* entry = FindFormat(format))
        return entry->canWrite(value);
    // The hundredths form rounds 23:59:59.995 and later up to 24 hours.
    return value >= 0 && value < kMillisecondsPerDay - 5;
}

void AppendTimeText(std::string& out, SubtitleFormat format, TimeValue value) {
    char buffer[kMaxTimeText];
    out.append(buffer, FormatTime(buffer, format, value));
}

char* FormatTime(char* buffer, SubtitleFormat format, TimeValue value) {
    if (const FormatEntry* entry = FindFormat(format))
        return entry->formatTime(buffer, value);
    return FormatHundredthsClock(buffer, value);
}

std::string TimeToText(SubtitleFormat format, TimeValue value) {
    std::string text;
    AppendTimeText(text, format, value);
    return text;
}

std::int32_t ClockValue(std::string_view hours, std::string_view minutes, std::string_view seconds,
                        std::string_view fraction, std::int32_t fractionUnit) {
    // Unsigned arithmetic: fields may hold any 32-bit value and the sum wraps, never traps.
    std::uint32_t value =
        static_cast<std::uint32_t>(StrToInt(hours)) * 3600000u +
        static_cast<std::uint32_t>(StrToInt(minutes)) * 60000u +
        static_cast<std::uint32_t>(StrToInt(seconds)) * 1000u +
        static_cast<std::uint32_t>(StrToInt(fraction)) * static_cast<std::uint32_t>(fractionUnit);
    return static_cast<std::int32_t>(value);
}

TimeValue TextToTime(SubtitleFormat format, std::string_view text) {
    if (const FormatEntry* entry = FindFormat(format))
        return entry->readTime(text);
    return 0;
}

} // namespace velkar
