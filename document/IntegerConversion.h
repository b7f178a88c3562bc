#pragma once
// The one integer conversion for every number read from text.

#include <cstdint>
#include <optional>
#include <string_view>

namespace velkar {

// Reads a signed 32-bit integer: leading spaces are skipped; then either an optional "-" or "+"
// and decimal digits, or (without a sign) a hexadecimal number introduced by "$", "x", "X", "0x"
// or "0X". The digits must run to the end of the text. Gives nothing for an empty text, spaces
// only, any other character, or a value outside the signed 32-bit range.
std::optional<std::int32_t> TryStrToInt(std::string_view text);

// As TryStrToInt; throws ConversionError ("'<text>' is not a valid integer value") on failure.
std::int32_t StrToInt(std::string_view text);

} // namespace velkar
