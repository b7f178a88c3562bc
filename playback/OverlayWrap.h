#pragma once
// The subtitle label's text fitted into its rectangle: long lines wrapped at spaces, a word
// wider than the whole line broken inside, and the font made smaller, a pixel at a time, until
// the lines fit the height as well. Nothing is ever cut off at either side.

#include <QFont>
#include <QString>

namespace velkar::playback {

struct WrappedText {
    QString text;      // the lines joined by '\n'; each no wider than the width asked for
    int pixelSize = 0; // the font's pixel size that makes them fit
    bool fits = false; // false: even at the smallest size the lines are taller than asked
};

// Wraps `text` (lines separated by '\n') into lines no wider than `width` pixels in `font`
// at the font's pixel size, or smaller down to `minPixels`, so that all lines fit `height`
// pixels. Words keep their order and their characters; only the spaces where a line breaks
// are dropped. Example: "Down to the harbour" 60 pixels wide gives "Down to\nthe\nharbour".
WrappedText WrapToFit(const QString& text, QFont font, int width, int height, int minPixels);

} // namespace velkar::playback
