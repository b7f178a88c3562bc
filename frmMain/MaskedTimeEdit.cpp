#include "frmMain/MaskedTimeEdit.h"

#include "document/Format.h"

#include <QRegularExpressionValidator>

namespace velkar::gui {

MaskedTimeEdit::MaskedTimeEdit(QWidget* parent)
    : QLineEdit(parent), m_frameDigits(new QRegularExpressionValidator(
                             QRegularExpression(QStringLiteral("[0-9]{0,9}")), this)) {
    setMask(Mask::SubRipClock);
}

MaskedTimeEdit::Mask MaskedTimeEdit::MaskFor(velkar::SubtitleFormat format) {
    const velkar::FormatEntry* entry = velkar::FindFormat(format);
    if (!entry)
        return Mask::HundredthsClock;
    if (entry->frames)
        return Mask::Frames;
    const std::string_view form = entry->typedForm;
    const std::size_t fraction = form.find_last_of(".,");
    if (fraction != std::string_view::npos && form[fraction] == ',')
        return Mask::SubRipClock;
    switch (fraction == std::string_view::npos ? 0 : form.size() - fraction - 1) {
    case 3:
        return Mask::MillisecondsClock;
    case 1:
        return Mask::TenthsClock;
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
    case Mask::MillisecondsClock:
        return QStringLiteral("00:00:00.000");
    case Mask::TenthsClock:
        return QStringLiteral("00:00:00.0");
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
    case Mask::MillisecondsClock:
        setValidator(nullptr);
        setPlaceholderText(QString());
        setInputMask(QStringLiteral("09:99:99.999; "));
        break;
    case Mask::TenthsClock:
        setValidator(nullptr);
        setPlaceholderText(QString());
        setInputMask(QStringLiteral("09:99:99.9; "));
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

void MaskedTimeEdit::setTime(const QString& text) {
    if (m_mask != Mask::Frames && text.indexOf(QLatin1Char(':')) == 1)
        setText(QLatin1Char('0') + text);
    else
        setText(text);
}

QString MaskedTimeEdit::fieldText() const {
    return displayText();
}

} // namespace velkar::gui
