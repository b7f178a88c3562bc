#include "app/Guard.h"

namespace velkar::gui {

void ShowFailure(QWidget* parent, const std::exception& error, const TextCodec* codec) {
    const std::string_view message = error.what();
    // Paths and typed texts are UTF-8; a message that quotes a line of an 8-bit document is
    // shown in that document's code page.
    QString text = IsValidUtf8(message) || !codec
                       ? QString::fromUtf8(message.data(), qsizetype(message.size()))
                       : Decode(*codec, message);
    Dialogs().information(parent, kAppTitle, text);
}

} // namespace velkar::gui
