#include "document/TimeCode.h"

#include "document/Errors.h"
#include "document/IntegerConversion.h"

#include <charconv>

namespace velkar {

namespace {

void AppendTwoDigits(std::string& out, int v) {
    out.push_back(static_cast<char>('0' + v / 10));
    out.push_back(static_cast<char>('0' + v % 10));
}

} // namespace

std::string_view Copy(std::string_view text, std::size_t first, std::size_t count) {
    if (first < 1 || first > text.size())
        return {};
    return text.substr(first - 1, count);
}

void AppendTimeText(std::string& out, SubtitleFormat format, std::int32_t value) {
    if (format == sfMicroDVD) {
        char buffer[16];
        auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out.append(buffer, result.ptr);
        return;
    }
    if (value < 0 || value >= kMillisecondsPerDay)
        throw TimeEncodeError();
    int hours = value / 3600000;
    int rest = value - hours * 3600000;
    int minutes = rest / 60000;
    rest -= minutes * 60000;
    int seconds = rest / 1000;
    int milliseconds = rest - seconds * 1000;

    if (format == sfSubRip) {
        AppendTwoDigits(out, hours);
        out.push_back(':');
        AppendTwoDigits(out, minutes);
        out.push_back(':');
        AppendTwoDigits(out, seconds);
        out.push_back(',');
        out.push_back(static_cast<char>('0' + milliseconds / 100));
        AppendTwoDigits(out, milliseconds % 100);
        return;
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
    AppendTwoDigits(out, hours);
    out.push_back(':');
    AppendTwoDigits(out, minutes);
    out.push_back(':');
    AppendTwoDigits(out, seconds);
    out.push_back('.');
    AppendTwoDigits(out, hundredths);
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

std::int32_t TextToTime(SubtitleFormat format, std::string_view text) {
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
        return ClockValue(Copy(text, 1, 2), Copy(text, 4, 2), Copy(text, 7, 2), Copy(text, 10, 3),
                          1);
    case sfSubViewer2:
        return ClockValue(Copy(text, 1, 2), Copy(text, 4, 2), Copy(text, 7, 2), Copy(text, 10, 2),
                          10);
    default:
        return 0;
    }
}

} // namespace velkar
