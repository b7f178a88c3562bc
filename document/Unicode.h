#pragma once
// UTF-8 and UTF-16 code units. A UTF-16 subtitle file is held as UTF-8 while it is open (so
// that recognition, parsing, re-timing and the windows treat it like any UTF-8 file) and turned
// back into UTF-16 when it is written: valid UTF-16 goes to UTF-8 and back unchanged, byte for
// byte.

#include <string>
#include <string_view>

namespace velkar {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeByteOrderMark = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeByteOrderMark = "\xFE\xFF";

// Length of the well-formed UTF-8 sequence at the start of `bytes` (1 to 4) and its code point
// in `cp`; 0 when the bytes there form none (overlong forms, surrogates and code points above
// U+10FFFF are not well-formed). `bytes` must not be empty.
std::size_t Utf8Sequence(std::string_view bytes, char32_t& cp);

// Appends code point `cp` (at most U+10FFFF, no surrogate) to `out` in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// The UTF-8 form of the UTF-16 text in `bytes` (after its byte-order mark; big endian when
// `bigEndian`). A last odd byte that is NUL pads the end and is dropped. Throws Utf16Error ("The
// Subtitle file is not valid UTF-16") for any other odd byte and for a surrogate that is not one
// of a high-low pair. U+0000 becomes a NUL byte.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// The UTF-16 form (no byte-order mark; big endian when `bigEndian`) of UTF-8 `text`; a byte
// that starts no well-formed sequence becomes U+FFFD. Utf16ToUtf8's output comes back as the
// bytes it came from.
std::string Utf8ToUtf16(std::string_view text, bool bigEndian);

} // namespace velkar
