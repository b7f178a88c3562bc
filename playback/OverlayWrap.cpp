#include "playback/OverlayWrap.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>
#include <QTextOption>

namespace velkar::playback {

namespace {

// The lines of `text` at `font` no wider than `width`; appended to `out`.
void WrapLines(const QString& text, const QFont& font, int width, QStringList& out) {
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        if (paragraph.isEmpty()) {
            out << QString();
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (;;) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(width);
            // The space where a line breaks stays with the line before; it is dropped.
            QString piece = paragraph.mid(line.textStart(), line.textLength());
            while (piece.endsWith(QLatin1Char(' ')))
                piece.chop(1);
            out << piece;
        }
        layout.endLayout();
    }
}

} // namespace

WrappedText WrapToFit(const QString& text, QFont font, int width, int height, int minPixels) {
    WrappedText result;
    const int largest = std::max(font.pixelSize(), minPixels);
    for (int pixels = largest; pixels >= minPixels; --pixels) {
        font.setPixelSize(pixels);
        QStringList lines;
        WrapLines(text, font, std::max(width, 1), lines);
        const QFontMetrics metrics(font);
        result.text = lines.join(QLatin1Char('\n'));
        result.pixelSize = pixels;
        result.fits = lines.size() * metrics.lineSpacing() <= height;
        if (result.fits)
            break;
    }
    return result;
}

} // namespace velkar::playback
