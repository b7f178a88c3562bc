#pragma once
// The document stays bytes; the windows show it as text. A TextCodec turns a document's bytes
// into UTF-16 text for the screen and the edited text back into bytes, so that text decoded and
// encoded again without a change gives back the same bytes, byte for byte:
//
//   - UTF-8: for a document whose lines are all valid UTF-8.
//   - an 8-bit code page (Windows-1250..1258, ISO-8859-x, KOI8, ...): for every other document.
//     A byte the code page leaves undefined shows as the private-use character U+F700 + byte
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

    // The 8-bit code page that `name` names ("WINDOWS-1251", "ISO-8859-7", "KOI8-R"; case does
    // not matter; "CP1251" names Windows-1251), or Windows-1253 when `name` names none that is
    // known here.
    static TextCodec CodePage(std::string_view name);
    // Whether CodePage(name) knows `name` itself.
    static bool IsKnownCodePage(std::string_view name);

    bool IsUtf8() const { return m_table < 0; }
    // "UTF-8" or the code page's name.
    std::string Name() const;

    std::u16string Decode(std::string_view bytes) const;
    std::string Encode(std::u16string_view text) const;

  private:
    int m_table = -1; // index into the code page tables; -1 for UTF-8
};

// The codec for a document: UTF-8 when every line is valid UTF-8, otherwise the code page that
// `guess` names (the character-set detector's answer for the document), falling back to
// Windows-1253 when it names no 8-bit code page. Guesses the detector makes for Windows files
// with curly quotes are read as the Windows code page: ISO-8859-1 and MAC-CENTRALEUROPE as
// Windows-1252, ISO-8859-9 as Windows-1254, MAC-CYRILLIC as Windows-1251.
TextCodec ChooseCodec(const LineStore& lines, std::string_view guess);

} // namespace velkar
