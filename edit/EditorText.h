#pragma once
// The editor's text for a document's lines, and the lines for an edited text. The text holds
// each line and a "\n" for each line end (none after a last line the file did not end), so that
// a text saved without a change gives back the same lines with the same line ends.
//
// Qt's text document starts a new paragraph at U+2029 and at U+FDD0 / U+FDD1 (its frame marks);
// in the text those three characters stand as private-use characters that the document does
// not hold, and turn back into themselves when the text is taken.

#include "app/DocumentText.h"
#include "document/LineStore.h"

#include <QString>
#include <array>

namespace velkar::gui {

struct EditorText {
    QString text;
    // What stands for U+2029, U+FDD0 and U+FDD1 in `text`.
    std::array<QString, 3> standIns;
};

// The text showing `lines` as `codec` decodes them.
EditorText ShowLines(const LineStore& lines, const TextCodec& codec);

// The lines of an edited `text` (shown by ShowLines as `shown`), split only at its "\n"s and
// encoded with `codec`. Each line keeps the line end of the line of `before` it stands for, so
// lines inserted or deleted elsewhere move no line end (KeepLineBreaks); a new line, or one in
// place of a last line without one, takes before.NewLineBreak(); the last line has none when the
// text does not end with "\n".
LineStore TakeLines(const QString& text, const EditorText& shown, const LineStore& before,
                    const TextCodec& codec);

} // namespace velkar::gui
