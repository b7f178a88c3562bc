#include "document/formats/ClockText.h"

#include "document/Errors.h"
#include "document/Format.h"
#include "document/IntegerConversion.h"
#include "document/TimeCode.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string>

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

// The hours of a typed clock time: columns 1-2, where one digit may stand alone. "1 :00:..."
// (the field's blank after a lone digit) reads as 1; the caller has already put a blank in
// front of "1:00:...".
std::string_view Hours(std::string_view text) {
    std::string_view hours = Copy(text, 1, 2);
    if (hours.size() == 2 && hours[1] == ' ' && hours[0] != ' ')
        hours.remove_suffix(1);
    return hours;
}

// "1:00:00,000": a one-digit hour written without its blank.
std::string_view PadLoneHour(std::string_view text, std::string& padded) {
    if (text.size() >= 2 && text[1] == ':') {
        padded = " ";
        padded.append(text);
        return padded;
    }
    return text;
}

// The most hour digits a clock may have: enough for kMaxTimeValue (with zeros in front), few
// enough that the value of any clock of this length fits 64 bits.
constexpr int kMaxHourDigits = 12;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

char* TwoDigits(char* out, int v) {
    out[0] = kDigitPairs[2 * v];
    out[1] = kDigitPairs[2 * v + 1];
    return out + 2;
}

char* FormatFrames(char* out, TimeValue frames) {
    return std::to_chars(out, out + kMaxTimeText, frames).ptr;
}

char* FormatSubRipClock(char* p, TimeValue time) {
    if (time < 0 || time >= kMillisecondsPerDay)
        throw TimeEncodeError();
    const int value = static_cast<int>(time);
    const int hours = value / 3600000;
    int rest = value - hours * 3600000;
    const int minutes = rest / 60000;
    rest -= minutes * 60000;
    const int seconds = rest / 1000;
    const int milliseconds = rest - seconds * 1000;
    p = TwoDigits(p, hours);
    *p++ = ':';
    p = TwoDigits(p, minutes);
    *p++ = ':';
    p = TwoDigits(p, seconds);
    *p++ = ',';
    *p++ = static_cast<char>('0' + milliseconds / 100);
    return TwoDigits(p, milliseconds % 100);
}

char* FormatHundredthsClock(char* p, TimeValue time) {
    if (time < 0 || time >= kMillisecondsPerDay)
        throw TimeEncodeError();
    const int value = static_cast<int>(time);
    int hours = value / 3600000;
    int rest = value - hours * 3600000;
    int minutes = rest / 60000;
    rest -= minutes * 60000;
    int seconds = rest / 1000;
    const int milliseconds = rest - seconds * 1000;
    // Hundredths, ties to even; 100 hundredths carry into the seconds and on up to the hours.
    int hundredths = milliseconds / 10;
    const int remainder = milliseconds % 10;
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

char* FormatOpenClock(char* p, std::int64_t value, int hourDigits, int fractionDigits) {
    static constexpr std::int64_t kFractionUnit[] = {1000, 100, 10, 1};
    // The usual time, a re-timed one already a whole number of the fraction's unit, under 100
    // hours and written with at most two hour digits: in 32 bits, with nothing to round.
    if (value >= 0 && value < 100 * 3600000 && hourDigits <= 2 && fractionDigits >= 1 &&
        fractionDigits <= 3 && value % kFractionUnit[fractionDigits] == 0) {
        const auto v = static_cast<std::uint32_t>(value);
        const std::uint32_t hours = v / 3600000, rest = v % 3600000;
        const std::uint32_t milliseconds = rest % 1000, seconds = rest / 1000;
        if (hours < 10 && hourDigits <= 1)
            *p++ = static_cast<char>('0' + hours);
        else
            p = TwoDigits(p, static_cast<int>(hours));
        *p++ = ':';
        p = TwoDigits(p, static_cast<int>(seconds / 60));
        *p++ = ':';
        p = TwoDigits(p, static_cast<int>(seconds % 60));
        *p++ = '.';
        if (fractionDigits == 2)
            return TwoDigits(p, static_cast<int>(milliseconds / 10));
        *p++ = static_cast<char>('0' + milliseconds / 100);
        return fractionDigits == 1 ? p : TwoDigits(p, static_cast<int>(milliseconds % 100));
    }
    const std::int64_t unit = kFractionUnit[fractionDigits];
    // Rounded once in the fraction's unit; the sign stands apart, so -6 845 ms and 6 845 ms
    // round alike, and a value that rounds to 0 has none.
    const std::int64_t units = RoundToUnit(value < 0 ? -value : value, unit) / unit;
    if (value < 0 && units != 0)
        *p++ = '-';
    const std::int64_t perSecond = 1000 / unit;
    const std::int64_t fraction = units % perSecond;
    const std::int64_t totalSeconds = units / perSecond;
    const std::int64_t hours = totalSeconds / 3600;
    const int minutes = static_cast<int>(totalSeconds / 60 % 60);
    const int seconds = static_cast<int>(totalSeconds % 60);
    char digits[24];
    char* end = std::to_chars(digits, digits + sizeof digits, hours).ptr;
    for (int pad = hourDigits - static_cast<int>(end - digits); pad > 0; --pad)
        *p++ = '0';
    p = std::copy(digits, end, p);
    *p++ = ':';
    p = TwoDigits(p, minutes);
    *p++ = ':';
    p = TwoDigits(p, seconds);
    *p++ = '.';
    for (int k = fractionDigits - 1; k >= 0; --k) {
        std::int64_t f = fraction;
        for (int d = 0; d < k; ++d)
            f /= 10;
        *p++ = static_cast<char>('0' + f % 10);
    }
    return p;
}

TimeValue ReadFramesTyped(std::string_view text) {
    std::string digits(text);
    for (char& c : digits)
        if (c == ' ')
            c = '0';
    if (digits.empty())
        digits = "0";
    return StrToInt(digits);
}

TimeValue ReadSubRipTyped(std::string_view text) {
    std::string padded;
    text = PadLoneHour(text, padded);
    return ClockValue(Hours(text), Copy(text, 4, 2), Copy(text, 7, 2), Copy(text, 10, 3), 1);
}

TimeValue ReadSubViewerTyped(std::string_view text) {
    std::string padded;
    text = PadLoneHour(text, padded);
    return ClockValue(Hours(text), Copy(text, 4, 2), Copy(text, 7, 2), Copy(text, 10, 2), 10);
}

TimeValue ReadOpenClock(std::string_view typed, std::int32_t unit) {
    std::string_view text = typed;
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    // Fields: hours, minutes, seconds, fraction; a blank inside reads as 0.
    std::int64_t fields[4] = {0, 0, 0, 0};
    int count[4] = {0, 0, 0, 0};
    int field = 0;
    bool ok = !text.empty();
    for (char c : text) {
        if (c == ':' && field < 2) {
            ++field;
        } else if ((c == '.' || c == ',') && field == 2) {
            field = 3;
        } else if (IsDigit(c) || c == ' ') {
            if (++count[field] > (field == 0 ? kMaxHourDigits : field == 3 ? 3 : 2)) {
                ok = false;
                break;
            }
            fields[field] = fields[field] * 10 + (c == ' ' ? 0 : c - '0');
        } else {
            ok = false;
            break;
        }
    }
    ok = ok && field >= 2 && count[0] > 0 && count[1] > 0 && count[2] > 0 &&
         (field == 2 || count[3] > 0);
    if (!ok)
        throw ConversionError(typed);
    std::int64_t fraction = fields[3];
    for (int k = count[3]; k < 3; ++k)
        fraction *= 10;
    std::int64_t value = fields[0] * 3600000 + fields[1] * 60000 + fields[2] * 1000 + fraction;
    value = RoundToUnit(negative ? -value : value, unit);
    if (value < -kMaxTimeValue || value > kMaxTimeValue)
        throw ConversionError(typed);
    return value;
}

TimeValue ReadFileClock(std::string_view t, int minHours, char separator, int fractionDigits,
                        bool& ok) {
    // The usual form, without a sign and with one or two hour digits, read directly; anything
    // else (and whatever this does not take) goes the general way below.
    const std::size_t h = t.size() >= 2 && t[1] == ':' ? 1 : 2;
    if (static_cast<int>(h) >= std::max(minHours, 1) &&
        t.size() == h + 7 + static_cast<std::size_t>(fractionDigits) && t[h] == ':' &&
        t[h + 3] == ':' && t[h + 6] == separator) {
        auto d = [&](std::size_t k) { return static_cast<unsigned>(t[k]) - '0'; };
        const unsigned hours = h == 1 ? d(0) : d(0) * 10 + d(1);
        bool plain = d(0) <= 9 && d(h - 1) <= 9 && d(h + 1) <= 9 && d(h + 2) <= 9 &&
                     d(h + 4) <= 9 && d(h + 5) <= 9;
        unsigned fraction = 0;
        for (std::size_t k = h + 7; k < t.size(); ++k) {
            plain = plain && d(k) <= 9;
            fraction = fraction * 10 + d(k);
        }
        if (plain) {
            for (int k = fractionDigits; k < 3; ++k)
                fraction *= 10;
            ok = true;
            return hours * 3600000 + (d(h + 1) * 10 + d(h + 2)) * 60000 +
                   (d(h + 4) * 10 + d(h + 5)) * 1000 + fraction;
        }
    }
    ok = false;
    std::size_t k = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (negative)
        ++k;
    auto digits = [&](std::size_t from) {
        std::size_t e = from;
        while (e < t.size() && IsDigit(t[e]))
            ++e;
        return e - from;
    };
    auto number = [&](std::size_t from, std::size_t n) {
        std::int64_t v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v = v * 10 + (t[from + i] - '0');
        return v;
    };
    // Hours are present when two colons follow.
    std::int64_t hours = 0;
    std::size_t first = digits(k);
    // (Looked for in place: a clock is a few characters, shorter than a library call costs.)
    bool secondColon = false;
    for (std::size_t c = k + first + 1; c < t.size() && !secondColon; ++c)
        secondColon = t[c] == ':';
    const bool hasHours = k + first < t.size() && t[k + first] == ':' && secondColon;
    if (hasHours) {
        if (first < static_cast<std::size_t>(std::max(minHours, 1)) ||
            first > static_cast<std::size_t>(kMaxHourDigits))
            return 0;
        hours = number(k, first);
        k += first + 1;
        first = digits(k);
    } else if (minHours > 0) {
        return 0;
    }
    if (first != 2 || k + 2 >= t.size() || t[k + 2] != ':')
        return 0;
    const std::int64_t minutes = number(k, 2);
    k += 3;
    if (digits(k) != 2 || k + 2 >= t.size() || t[k + 2] != separator)
        return 0;
    const std::int64_t seconds = number(k, 2);
    k += 3;
    if (digits(k) != static_cast<std::size_t>(fractionDigits) ||
        k + static_cast<std::size_t>(fractionDigits) != t.size())
        return 0;
    std::int64_t fraction = number(k, static_cast<std::size_t>(fractionDigits));
    for (int d = fractionDigits; d < 3; ++d)
        fraction *= 10;
    std::int64_t value = hours * 3600000 + minutes * 60000 + seconds * 1000 + fraction;
    if (negative)
        value = -value;
    if (value < -kMaxTimeValue || value > kMaxTimeValue)
        return 0;
    ok = true;
    return value;
}

} // namespace velkar
