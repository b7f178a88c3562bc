#pragma once
// The document stays bytes; the windows show it as text. A TextCodec turns a document's bytes
// into UTF-16 text for the screen and the edited text back into bytes, so that text decoded and
// encoded again without a change gives back the same bytes, byte for byte:
//
//   - UTF-8: for a document whose lines are all valid UTF-8.
//   - a character set of the system's converter (iconv) for every other document: an 8-bit code
//     page (Windows-1250..1258, ISO-8859-x, KOI8, ...) or an East Asian multibyte one (GB18030,
//     Big5, Shift_JIS, EUC-JP, EUC-KR). Every character is decoded only when it encodes back to
//     the very bytes it came from; any other byte (one the character set leaves undefined, a
//     piece of a cut multibyte character) shows as the private-use character U+F700 + byte
//     (0x81 in Windows-1253 shows as U+F781) and is encoded back to that byte.
//
// Characters that the codec cannot encode (a Greek letter typed into a Windows-1252 document)
// become "?".

#include "document/LineStore.h"

#include <string>
#include <string_view>
#include <vector>

namespace velkar {

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF). ASCII text is UTF-8.
bool IsValidUtf8(std::string_view bytes);

class TextCodec {
  public:
    // UTF-8.
    TextCodec() = default;

    // The character set that `name` names ("WINDOWS-1251", "ISO-8859-7", "KOI8-R", "SHIFT_JIS";
    // case does not matter; "CP1251" names Windows-1251, "GB2312" and "GBK" name GB18030), or
    // Windows-1253 when `name` names none that is known here.
    static TextCodec CodePage(std::string_view name);
    // Whether CodePage(name) knows `name` itself.
    static bool IsKnownCodePage(std::string_view name);

    bool IsUtf8() const { return m_charset < 0; }
    // "UTF-8" or the character set's name.
    std::string Name() const;

    std::u16string Decode(std::string_view bytes) const;
    std::string Encode(std::u16string_view text) const;

  private:
    int m_charset = -1; // index into the known character sets; -1 for UTF-8
};

// The codec for a document: UTF-8 when every line is valid UTF-8, otherwise the character set
// that `guess` names (the character-set detector's answer for the document), falling back to
// Windows-1253 when it names none that is known here. Guesses the detector makes for Windows files
// with curly quotes are read as the Windows code page: ISO-8859-1 and MAC-CENTRALEUROPE as
// Windows-1252, ISO-8859-9 as Windows-1254, MAC-CYRILLIC as Windows-1251.
TextCodec ChooseCodec(const LineStore& lines, std::string_view guess);

} // namespace velkar
