// libFuzzer entry point: the integer conversion and the time codes against a plain reading of
// their rules.

#include "document/Errors.h"
#include "document/IntegerConversion.h"
#include "document/TimeCode.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace {

using velkar::SubtitleFormat;

// Leading blanks skipped; then a sign and decimal digits, or (without a sign) "$", "x", "X",
// "0x" or "0X" and hexadecimal digits; at least one digit, nothing after; within 32 bits.
std::optional<std::int32_t> ReferenceInteger(std::string_view t) {
    while (!t.empty() && t.front() == ' ')
        t.remove_prefix(1);
    bool negative = false, hex = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    } else if (t.starts_with("0x") || t.starts_with("0X")) {
        hex = true;
        t.remove_prefix(2);
    } else if (!t.empty() && (t.front() == '$' || t.front() == 'x' || t.front() == 'X')) {
        hex = true;
        t.remove_prefix(1);
    }
    if (t.empty())
        return std::nullopt;
    long double value = 0; // exact far beyond the range checked
    for (char c : t) {
        const char* digits = hex ? "0123456789abcdef" : "0123456789";
        const char lower = hex && c >= 'A' && c <= 'F' ? static_cast<char>(c + 32) : c;
        const char* at = c == '\0' ? nullptr : std::strchr(digits, lower);
        if (!at)
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<long double>(at - digits);
        value = value > 1e12L ? 1e12L : value;
    }
    if (negative)
        value = -value;
    if (value < -2147483648.0L || value > 2147483647.0L)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// The clock texts of the rules: hh:nn:ss,zzz or hh:nn:ss.zz (hundredths rounded half to even,
// 100 carried into the seconds); nothing outside one day.
std::optional<std::string> ReferenceClock(SubtitleFormat f, std::int32_t v) {
    if (f == velkar::sfMicroDVD)
        return std::to_string(v);
    if (v < 0 || v >= 86400000)
        return std::nullopt;
    long long ms = v;
    if (f != velkar::sfSubRip) {
        long long h = ms % 1000 / 10, r = ms % 10;
        if (r > 5 || (r == 5 && h % 2 == 1))
            ++h;
        ms = ms / 1000 * 1000 + h * 10;
        if (ms >= 86400000)
            return std::nullopt;
    }
    char text[32];
    if (f == velkar::sfSubRip)
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld,%03lld", ms / 3600000,
                      ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%02lld", ms / 3600000,
                      ms / 60000 % 60, ms / 1000 % 60, ms % 1000 / 10);
    return std::string(text);
}

// The value of a clock or frame text by the rules; nothing when a field does not convert.
std::optional<std::int32_t> ReferenceTime(SubtitleFormat f, std::string_view text) {
    if (f == velkar::sfMicroDVD) {
        std::string t(text);
        for (char& c : t)
            c = c == ' ' ? '0' : c;
        return ReferenceInteger(t.empty() ? "0" : t);
    }
    // A one-digit hour may stand alone: "1:00:00,000" is " 1:00:00,000", and "1 :00:00,000"
    // reads its hour as "1".
    std::string clock(text);
    if (clock.size() >= 2 && clock[1] == ':')
        clock.insert(0, " ");
    text = clock;
    auto field = [&](std::size_t first, std::size_t count) {
        return ReferenceInteger(first - 1 < text.size() ? text.substr(first - 1, count) : "");
    };
    const bool loneDigit = text.size() >= 2 && text[0] != ' ' && text[1] == ' ';
    const auto h = field(1, loneDigit ? 1 : 2), m = field(4, 2), s = field(7, 2);
    const auto z = f == velkar::sfSubRip ? field(10, 3) : field(10, 2);
    if (!h || !m || !s || !z)
        return std::nullopt;
    const std::int64_t sum = std::int64_t{*h} * 3600000 + std::int64_t{*m} * 60000 +
                             std::int64_t{*s} * 1000 +
                             std::int64_t{*z} * (f == velkar::sfSubRip ? 1 : 10);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum)); // wraps as 32 bits do
}

// The open clocks of MPL2, WebVTT and ASS/SSA: the value rounded once to the format's unit (a
// tie to the even multiple), "-" before a negative one, at least `hours` hour digits, then
// ":mm:ss." and the fraction's digits.
std::int64_t ReferenceRound(std::int64_t v, std::int64_t unit) {
    std::int64_t q = v / unit, r = v % unit;
    if (r < 0) {
        --q;
        r += unit;
    }
    if (2 * r > unit || (2 * r == unit && q % 2 != 0))
        ++q;
    return q * unit;
}

std::string ReferenceOpenClock(std::int64_t v, int hours, std::int64_t unit) {
    const std::int64_t rounded = ReferenceRound(v, unit);
    const std::int64_t ms = rounded < 0 ? -rounded : rounded;
    const int digits = unit == 1 ? 3 : unit == 10 ? 2 : 1;
    char text[48];
    std::snprintf(text, sizeof text, "%s%0*lld:%02lld:%02lld.%0*lld", rounded < 0 ? "-" : "", hours,
                  static_cast<long long>(ms / 3600000), static_cast<long long>(ms / 60000 % 60),
                  static_cast<long long>(ms / 1000 % 60), digits,
                  static_cast<long long>(ms % 1000 / unit));
    return text;
}

struct OpenClockForm {
    SubtitleFormat format;
    int hours;
    std::int64_t unit;
    bool negative; // whether the file's form takes times before 00:00:00
};

constexpr OpenClockForm kOpenClocks[] = {{velkar::sfMPL2, 2, 100, true},
                                         {velkar::sfWebVTT, 2, 1, false},
                                         {velkar::sfASS, 1, 10, true},
                                         {velkar::sfSSA, 1, 10, true}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velkar;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (TryStrToInt(text) != ReferenceInteger(text))
        std::abort();

    for (SubtitleFormat f : {sfMicroDVD, sfSubRip, sfSubViewer2}) {
        std::optional<std::int32_t> read;
        try {
            read = TextToTime(f, text);
        } catch (const ConversionError&) {
        }
        if (read != ReferenceTime(f, text))
            std::abort();
        // A value made of the first four bytes: its text, and the text read back.
        std::int32_t v = 0;
        std::memcpy(&v, data, std::min<std::size_t>(size, 4));
        for (std::int32_t value : {v, v & 0x7ffffff, v % 86400000}) {
            const auto reference = ReferenceClock(f, value);
            std::optional<std::string> made;
            try {
                made = TimeToText(f, value);
            } catch (const TimeEncodeError&) {
            }
            if (made != reference || CanEncode(f, value) != reference.has_value())
                std::abort();
            if (made && f != sfSubViewer2 && TextToTime(f, *made) != value)
                std::abort();
        }
    }

    // The open clocks: every value's text is the reference's, and reads back as the value
    // rounded once; any text reads as a multiple of the unit or is refused.
    std::int32_t v = 0;
    std::memcpy(&v, data, std::min<std::size_t>(size, 4));
    for (const OpenClockForm& form : kOpenClocks) {
        for (std::int32_t value : {v, v % 86400000, v % 1000}) {
            std::optional<std::string> made;
            try {
                made = TimeToText(form.format, value);
            } catch (const TimeEncodeError&) {
            }
            // A time whose rounding runs past the table's limit would have no text either.
            const std::int64_t rounded = ReferenceRound(value, form.unit);
            const bool writable = (form.negative || value >= 0) && rounded >= -kMaxTimeValue &&
                                  rounded <= kMaxTimeValue;
            if (made.has_value() != writable || CanEncode(form.format, value) != writable)
                std::abort();
            if (!made)
                continue;
            const std::string reference = ReferenceOpenClock(value, form.hours, form.unit);
            if (*made != reference)
                std::abort();
            const std::int64_t back = TextToTime(form.format, *made);
            if (TimeToText(form.format, back) != reference || back % form.unit != 0)
                std::abort();
        }
        try {
            if (TextToTime(form.format, text) % form.unit != 0)
                std::abort();
        } catch (const ConversionError&) {
        }
    }
    return 0;
}
