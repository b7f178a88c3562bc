#include "document/TimeCode.h"

#include "document/Errors.h"
#include "document/IntegerConversion.h"

#include <array>
#include <charconv>

namespace velkar {

namespace {

// "00", "01", ... "99" one after the other.
constexpr auto kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (int v = 0; v < 100; ++v) {
        pairs[2 * v] = static_cast<char>('0' + v / 10);
        pairs[2 * v + 1] = static_cast<char>('0' + v % 10);
    }
    return pairs;
}();

char* TwoDigits(char* out, int v) {
    out[0] = kDigitPairs[2 * v];
    out[1] = kDigitPairs[2 * v + 1];
    return out + 2;
}

} // namespace

std::string_view Copy(std::string_view text, std::size_t first, std::size_t count) {
    if (first < 1 || first > text.size())
        return {};
    return text.substr(first - 1, count);
}

bool CanEncode(SubtitleFormat format, std::int32_t value) {
    if (format == sfMicroDVD)
        return true;
    // The hundredths form rounds 23:59:59.995 and later up to 24 hours.
    const std::int32_t limit = format == sfSubRip ? kMillisecondsPerDay : kMillisecondsPerDay - 5;
    return value >= 0 && value < limit;
}

void AppendTimeText(std::string& out, SubtitleFormat format, std::int32_t value) {
    char buffer[kMaxTimeText];
    out.append(buffer, FormatTime(buffer, format, value));
}

char* FormatTime(char* buffer, SubtitleFormat format, std::int32_t value) {
    if (format == sfMicroDVD)
        return std::to_chars(buffer, buffer + kMaxTimeText, value).ptr;
    if (value < 0 || value >= kMillisecondsPerDay)
        throw TimeEncodeError();
    int hours = value / 3600000;
    int rest = value - hours * 3600000;
    int minutes = rest / 60000;
    rest -= minutes * 60000;
    int seconds = rest / 1000;
    int milliseconds = rest - seconds * 1000;

    char* p = buffer;
    if (format == sfSubRip) {
        p = TwoDigits(p, hours);
        *p++ = ':';
        p = TwoDigits(p, minutes);
        *p++ = ':';
        p = TwoDigits(p, seconds);
        *p++ = ',';
        *p++ = static_cast<char>('0' + milliseconds / 100);
        return TwoDigits(p, milliseconds % 100);
    }
    // Hundredths, ties to even; 100 hundredths carry into the seconds and on up to the hours.
    int hundredths = milliseconds / 10;
    int remainder = milliseconds % 10;
    if (remainder > 5 || (remainder == 5 && hundredths % 2 == 1))
        ++hundredths;
    if (hundredths == 100) {
        hundredths = 0;
        if (++seconds == 60) {
            seconds = 0;
            if (++minutes == 60) {
                minutes = 0;
                if (++hours == 24)
                    throw TimeEncodeError();
            }
        }
    }
    p = TwoDigits(p, hours);
    *p++ = ':';
    p = TwoDigits(p, minutes);
    *p++ = ':';
    p = TwoDigits(p, seconds);
    *p++ = '.';
    return TwoDigits(p, hundredths);
}

std::string TimeToText(SubtitleFormat format, std::int32_t value) {
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

namespace {

// The hours of a typed clock time: columns 1-2, where one digit may stand alone. "1 :00:..."
// (the field's blank after a lone digit) reads as 1; the caller has already put a blank in
// front of "1:00:...".
std::string_view Hours(std::string_view text) {
    std::string_view hours = Copy(text, 1, 2);
    if (hours.size() == 2 && hours[1] == ' ' && hours[0] != ' ')
        hours.remove_suffix(1);
    return hours;
}

} // namespace

std::int32_t TextToTime(SubtitleFormat format, std::string_view text) {
    // "1:00:00,000": a one-digit hour written without its blank.
    std::string padded;
    if ((format == sfSubRip || format == sfSubViewer2) && text.size() >= 2 && text[1] == ':') {
        padded = " ";
        padded.append(text);
        text = padded;
    }
    switch (format) {
    case sfMicroDVD: {
        std::string digits(text);
        for (char& c : digits)
            if (c == ' ')
                c = '0';
        if (digits.empty())
            digits = "0";
        return StrToInt(digits);
    }
    case sfSubRip:
        return ClockValue(Hours(text), Copy(text, 4, 2), Copy(text, 7, 2), Copy(text, 10, 3), 1);
    case sfSubViewer2:
        return ClockValue(Hours(text), Copy(text, 4, 2), Copy(text, 7, 2), Copy(text, 10, 2), 10);
    default:
        return 0;
    }
}

} // namespace velkar
