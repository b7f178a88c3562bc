#pragma once
// Whole texts in the controls: the windows are laid out in fixed pixel places, and the fonts
// the program finds on a machine may be wider or taller than the ones the places were drawn
// for. Each control whose text would not fit its place gets a smaller font (a pixel at a
// time) until it does.

#include <QString>
#include <QStringList>

class QWidget;

namespace velkar::gui {

// The texts `control` shows in its place: a button's, check box's or label's caption, an edit
// field's text, every item of a drop-down list. Empty for other controls.
QStringList ShownTexts(const QWidget* control);

// Whether `text` fits the room `control` gives its text at the control's font: wide enough
// for every character and high enough for the font's ascent and descent.
bool TextFits(const QWidget* control, const QString& text);

// Shrinks `control`'s font until each of `texts` fits (not below 7 pixels).
void FitTexts(QWidget* control, const QStringList& texts);

// FitTexts for every control of `window` with its ShownTexts.
void FitWindowTexts(QWidget* window);

} // namespace velkar::gui
