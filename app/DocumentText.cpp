#include "app/DocumentText.h"

#include <uchardet.h>

namespace velkar::gui {

TextCodec DetectCodec(const LineStore& lines) {
    TextCodec utf8;
    bool valid = true;
    for (std::string_view line : lines)
        if (!IsValidUtf8(line)) {
            valid = false;
            break;
        }
    if (valid)
        return utf8;
    std::string guess;
    if (uchardet_t detector = uchardet_new()) {
        for (std::string_view line : lines) {
            if (uchardet_handle_data(detector, line.data(), line.size()) != 0 ||
                uchardet_handle_data(detector, "\n", 1) != 0)
                break;
        }
        uchardet_data_end(detector);
        if (const char* name = uchardet_get_charset(detector))
            guess = name;
        uchardet_delete(detector);
    }
    return ChooseCodec(lines, guess);
}

QString Decode(const TextCodec& codec, std::string_view bytes) {
    const std::u16string text = codec.Decode(bytes);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Encode(const TextCodec& codec, const QString& text) {
    return codec.Encode(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                            static_cast<std::size_t>(text.size())));
}

} // namespace velkar::gui
