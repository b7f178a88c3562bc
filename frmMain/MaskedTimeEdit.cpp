#include "frmMain/MaskedTimeEdit.h"

#include <QRegularExpressionValidator>

namespace velkar::gui {

MaskedTimeEdit::MaskedTimeEdit(QWidget* parent)
    : QLineEdit(parent), m_frameDigits(new QRegularExpressionValidator(
                             QRegularExpression(QStringLiteral("[0-9]{0,9}")), this)) {
    setMask(Mask::SubRipClock);
}

MaskedTimeEdit::Mask MaskedTimeEdit::MaskFor(velkar::SubtitleFormat format) {
    switch (format) {
    case velkar::sfMicroDVD:
        return Mask::Frames;
    case velkar::sfSubRip:
        return Mask::SubRipClock;
    default:
        return Mask::HundredthsClock;
    }
}

QString MaskedTimeEdit::ResetText(Mask mask) {
    switch (mask) {
    case Mask::SubRipClock:
        return QStringLiteral("00:00:00,000");
    case Mask::HundredthsClock:
        return QStringLiteral("00:00:00.00");
    case Mask::Frames:
        return QStringLiteral("0");
    }
    return {};
}

void MaskedTimeEdit::setMask(Mask mask) {
    m_mask = mask;
    // Qt's mask letters: "0" an optional digit, "9" a required one; after ";" the blank.
    switch (mask) {
    case Mask::SubRipClock:
        setValidator(nullptr);
        setPlaceholderText(QString());
        setInputMask(QStringLiteral("09:99:99,999; "));
        break;
    case Mask::HundredthsClock:
        setValidator(nullptr);
        setPlaceholderText(QString());
        setInputMask(QStringLiteral("09:99:99.99; "));
        break;
    case Mask::Frames:
        // A Qt mask would fill unfilled positions after the digits ("125" showing as
        // "125000000"), so frames take a validator instead.
        setInputMask(QString());
        setMaxLength(9);
        setValidator(m_frameDigits);
        setPlaceholderText(QStringLiteral("0"));
        break;
    }
    setText(ResetText(mask));
}

QString MaskedTimeEdit::fieldText() const {
    return displayText();
}

} // namespace velkar::gui
