#include "document/IntegerConversion.h"

#include "document/Errors.h"

namespace velkar {

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    // Most fields are a few plain digits: read them without the general machinery.
    if (!text.empty() && text.size() <= 9) {
        std::int32_t value = 0;
        std::size_t k = 0;
        for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k)
            value = value * 10 + (text[k] - '0');
        if (k == text.size())
            return value;
    }
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::string_view rest = text.substr(i);
    if (rest.empty())
        return std::nullopt;

    int base = 10;
    bool negative = false;
    if (rest[0] == '-' || rest[0] == '+') {
        negative = rest[0] == '-';
        rest.remove_prefix(1);
    } else if (rest[0] == '$' || rest[0] == 'x' || rest[0] == 'X') {
        base = 16;
        rest.remove_prefix(1);
    } else if (rest.size() >= 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X')) {
        base = 16;
        rest.remove_prefix(2);
    }
    if (rest.empty())
        return std::nullopt;

    // Accumulate in 64 bits; stop as soon as the value leaves the 32-bit range.
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (char c : rest) {
        int digit = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t StrToInt(std::string_view text) {
    if (auto value = TryStrToInt(text))
        return *value;
    throw ConversionError(text);
}

} // namespace velkar
