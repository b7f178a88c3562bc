#include "edit/EditorText.h"

#include "document/LineMatch.h"

#include <QStringView>
#include <algorithm>

namespace velkar::gui {

namespace {

constexpr std::array<char16_t, 3> kSeparators = {0x2029, 0xFDD0, 0xFDD1};

// A character (as a string: one beyond U+FFFF takes two) that `text` does not hold and that is
// none of `taken`, from the private-use areas. Skips U+F780..U+F7FF, which show the bytes a
// document's character set does not decode.
QString FreeStandIn(const QString& text, const std::array<QString, 3>& taken) {
    for (char32_t c = 0xE000; c <= 0x10FFFD; ++c) {
        if (c == 0xF780)
            c = 0xF800;
        if (c == 0xF900)
            c = 0xF0000;
        const QString candidate = QString::fromUcs4(&c, 1);
        if (!text.contains(candidate) &&
            std::find(taken.begin(), taken.end(), candidate) == taken.end())
            return candidate;
    }
    return {}; // unreachable: a text would need over 137,000 distinct characters
}

} // namespace

EditorText ShowLines(const LineStore& lines, const TextCodec& codec) {
    EditorText shown;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        shown.text += Decode(codec, lines[i]);
        if (lines.lineBreak(i) != LineBreak::None)
            shown.text += QLatin1Char('\n');
    }
    for (std::size_t k = 0; k < kSeparators.size(); ++k) {
        const QChar separator(kSeparators[k]);
        if (!shown.text.contains(separator))
            continue;
        shown.standIns[k] = FreeStandIn(shown.text, shown.standIns);
        shown.text.replace(separator, shown.standIns[k]);
    }
    return shown;
}

LineStore TakeLines(const QString& text, const EditorText& shown, const LineStore& before,
                    const TextCodec& codec) {
    std::vector<std::string> lines;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QString line = text.mid(start, end - start);
        for (std::size_t k = 0; k < kSeparators.size(); ++k)
            if (!shown.standIns[k].isEmpty())
                line.replace(shown.standIns[k], QChar(kSeparators[k]));
        lines.push_back(Encode(codec, line));
        start = end + 1;
    }
    return KeepLineBreaks(before, lines, text.endsWith(QLatin1Char('\n')));
}

} // namespace velkar::gui
