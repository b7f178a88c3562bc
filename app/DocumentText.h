#pragma once
// How the windows show a document's bytes: the codec is chosen once per document (UTF-8 when
// the document is valid UTF-8, otherwise the character set the character-set detector names,
// falling back to Windows-1253) and used for every text the windows show or take back.

#include "app/TextCodec.h"

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace velkar::gui {

using velkar::TextCodec;

// The codec for a document with these lines.
TextCodec DetectCodec(const LineStore& lines);

QString Decode(const TextCodec& codec, std::string_view bytes);
std::string Encode(const TextCodec& codec, const QString& text);

} // namespace velkar::gui
